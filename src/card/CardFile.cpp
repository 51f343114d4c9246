#include "card/CardFile.h"

#include "card/CardRecord.h"
#include "card/layout/Layout.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <cstdio>
#include <optional>

namespace card {

namespace {

bool isStoredField(int i)
{
    return i >= 0 && i < FieldCount && i != ReferenceField;
}

QString layoutName(layout::Kind kind, int index)
{
    const layout::Item* item = layout::find(kind, index);
    return item ? item->name : QString();
}

// A JSON string: the text as UTF-8, with only what JSON requires escaped.
void appendString(QByteArray& out, const QString& text)
{
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// A whole number in [low, high], or nothing.
std::optional<int> wholeNumber(const QJsonValue& value, int low, int high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= low && d <= high) || std::floor(d) != d)
        return std::nullopt;
    return static_cast<int>(d);
}

QString badEntry(const char* list, qsizetype position, const QString& what)
{
    return QStringLiteral("文件中“%1”的第 %2 项%3。").arg(QLatin1String(list)).arg(position + 1).arg(what);
}

bool readFields(const QJsonArray& fields, Sheet& sheet, QString* error)
{
    std::array<bool, FieldCount> seen{};
    for (qsizetype p = 0; p < fields.size(); ++p) {
        if (!fields[p].isObject()) {
            *error = badEntry("fields", p, QStringLiteral("不是对象"));
            return false;
        }
        const QJsonObject entry = fields[p].toObject();
        const std::optional<int> index = wholeNumber(entry.value(QLatin1String("index")), 0, FieldCount - 1);
        if (!index || !isStoredField(*index)) {
            *error = badEntry("fields", p, QStringLiteral("的 index 不是 0 到 300 之间（289 除外）的整数"));
            return false;
        }
        if (seen[*index]) {
            *error = badEntry("fields", p, QStringLiteral("重复了字段 %1").arg(*index));
            return false;
        }
        seen[*index] = true;
        const QJsonValue text = entry.value(QLatin1String("text"));
        if (!text.isString()) {
            *error = badEntry("fields", p, QStringLiteral("（字段 %1）的 text 不是文字").arg(*index));
            return false;
        }
        QString value = text.toString();
        if (!value.isValidUtf16()) {
            *error = badEntry("fields", p, QStringLiteral("（字段 %1）含有无效的字符").arg(*index));
            return false;
        }
        sheet.text[*index] = std::move(value);
    }
    return true;
}

bool readBoxes(const QJsonArray& boxes, Sheet& sheet, QString* error)
{
    std::array<bool, TickCount> seen{};
    for (qsizetype p = 0; p < boxes.size(); ++p) {
        if (!boxes[p].isObject()) {
            *error = badEntry("boxes", p, QStringLiteral("不是对象"));
            return false;
        }
        const QJsonObject entry = boxes[p].toObject();
        const QString kind = entry.value(QLatin1String("box")).toString();
        const bool isF = kind == QLatin1String("CheckF");
        if (!isF && kind != QLatin1String("CheckWN")) {
            *error = badEntry("boxes", p, QStringLiteral("的 box 不是 CheckF 或 CheckWN"));
            return false;
        }
        const int count = isF ? CheckFCount : CheckWNCount;
        const std::optional<int> index = wholeNumber(entry.value(QLatin1String("index")), 0, count - 1);
        if (!index) {
            *error = badEntry("boxes", p, QStringLiteral("的 index 不是 0 到 %1 之间的整数").arg(count - 1));
            return false;
        }
        const int slot = isF ? *index : CheckFCount + *index;
        if (seen[slot]) {
            *error = badEntry("boxes", p, QStringLiteral("重复了 %1(%2)").arg(kind).arg(*index));
            return false;
        }
        seen[slot] = true;
        const QJsonValue ticked = entry.value(QLatin1String("ticked"));
        if (!ticked.isBool()) {
            *error = badEntry("boxes", p, QStringLiteral("的 ticked 不是 true 或 false"));
            return false;
        }
        (isF ? sheet.checkF[*index] : sheet.checkWN[*index]) = ticked.toBool();
    }
    return true;
}

} // namespace

QString fieldCaption(int field)
{
    return layoutName(layout::Kind::Field, field);
}

QString checkFCaption(int box)
{
    return layoutName(layout::Kind::CheckF, box);
}

QString checkWNCaption(int box)
{
    return layoutName(layout::Kind::CheckWN, box);
}

QByteArray writeCardFile(const Sheet& sheet)
{
    qsizetype size = 40000;
    for (const QString& text : sheet.text)
        size += text.size() * 3;
    QByteArray out;
    out.reserve(size);
    out += "{\n  \"format\": ";
    appendString(out, QLatin1String(CardFileFormat));
    out += ",\n  \"version\": " + QByteArray::number(CardFileVersion) + ",\n  \"fields\": [\n";
    bool first = true;
    for (int i = 0; i < FieldCount; ++i) {
        if (!isStoredField(i))
            continue;
        out += first ? "" : ",\n";
        first = false;
        out += "    {\"index\": " + QByteArray::number(i) + ", \"caption\": ";
        appendString(out, fieldCaption(i));
        out += ", \"text\": ";
        appendString(out, sheet.text[i]);
        out += '}';
    }
    out += "\n  ],\n  \"boxes\": [\n";
    for (int b = 0; b < TickCount; ++b) {
        const bool isF = b < CheckFCount;
        const int index = isF ? b : b - CheckFCount;
        out += b == 0 ? "" : ",\n";
        out += isF ? "    {\"box\": \"CheckF\"" : "    {\"box\": \"CheckWN\"";
        out += ", \"index\": " + QByteArray::number(index) + ", \"caption\": ";
        appendString(out, isF ? checkFCaption(index) : checkWNCaption(index));
        const bool ticked = isF ? sheet.checkF[index] : sheet.checkWN[index];
        out += ticked ? ", \"ticked\": true}" : ", \"ticked\": false}";
    }
    out += "\n  ]\n}\n";
    return out;
}

CardFileResult parseCardFile(const QByteArray& bytes)
{
    CardFileResult result;
    if (bytes.size() > MaxCardFileBytes) {
        result.error = QStringLiteral("文件太大，不是角色卡文件。");
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error =
            QStringLiteral("文件不是完整的角色卡文件（JSON 格式错误，位置 %1）。").arg(parseError.offset);
        return result;
    }
    if (!doc.isObject()) {
        result.error = QStringLiteral("文件不是角色卡文件。");
        return result;
    }
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(CardFileFormat)) {
        result.error = QStringLiteral("文件不是羽笔卷宗的角色卡文件（缺少 \"format\": \"%1\"）。")
                           .arg(QLatin1String(CardFileFormat));
        return result;
    }
    const QJsonValue version = root.value(QLatin1String("version"));
    const std::optional<int> number = wholeNumber(version, 1, 1000000);
    if (!number) {
        result.error = QStringLiteral("角色卡文件的版本号无效。");
        return result;
    }
    if (*number > CardFileVersion) {
        result.error = QStringLiteral("这张角色卡文件的版本（%1）比本程序能读的版本（%2）新，"
                                      "请用新版的羽笔卷宗导入。")
                           .arg(*number)
                           .arg(CardFileVersion);
        return result;
    }
    const QJsonValue fields = root.value(QLatin1String("fields"));
    const QJsonValue boxes = root.value(QLatin1String("boxes"));
    if (!fields.isArray() || !(boxes.isArray() || boxes.isUndefined())) {
        result.error = QStringLiteral("角色卡文件中的“fields”或“boxes”不是列表。");
        return result;
    }
    Sheet sheet;
    if (!readFields(fields.toArray(), sheet, &result.error) ||
        !readBoxes(boxes.toArray(), sheet, &result.error))
        return result;
    result.ok = true;
    result.sheet = std::move(sheet);
    return result;
}

CardFileResult readCardFile(const QString& path)
{
    CardFileResult result;
    const QString shown = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QFileInfo::exists(path) ? QStringLiteral("无法打开文件“%1”。").arg(shown)
                                               : QStringLiteral("找不到文件“%1”。").arg(shown);
        return result;
    }
    if (file.size() > MaxCardFileBytes) {
        result.error = QStringLiteral("文件“%1”太大（超过 %2 MB），不是角色卡文件。")
                           .arg(shown)
                           .arg(MaxCardFileBytes / (1024 * 1024));
        return result;
    }
    const qint64 expected = file.size();
    // One byte more than expected (or allowed) tells a file that grew while it was read from one that
    // fits; the buffer is no larger than that.
    const QByteArray bytes = file.read((file.isSequential() ? MaxCardFileBytes : expected) + 1);
    if (file.error() != QFileDevice::NoError || (!file.isSequential() && bytes.size() != expected) ||
        (file.isSequential() && !file.atEnd())) {
        result.error = QStringLiteral("读取文件“%1”时出错：文件在读取中被改动或移走了。").arg(shown);
        return result;
    }
    if (bytes.size() > MaxCardFileBytes) {
        result.error = QStringLiteral("文件“%1”太大，不是角色卡文件。").arg(shown);
        return result;
    }
    return parseCardFile(bytes);
}

QString numberedName(const QString& name, int n)
{
    return n <= 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(n);
}

QString cardFileBaseName(const QString& cardName)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    QString base;
    for (const QChar c : cardName)
        base += (c.unicode() < 0x20 || c.unicode() == 0x7f || refused.contains(c)) ? QLatin1Char('_') : c;
    constexpr int MaxLength = 80;
    if (base.size() > MaxLength)
        base.truncate(base.at(MaxLength - 1).isHighSurrogate() ? MaxLength - 1 : MaxLength);
    while (!base.isEmpty() && (base.back() == QLatin1Char('.') || base.back().isSpace()))
        base.chop(1);
    while (!base.isEmpty() && base.front().isSpace())
        base.remove(0, 1);
    if (base.isEmpty())
        base = QStringLiteral("角色卡");
    static const QStringList reserved = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                         QStringLiteral("NUL")};
    const QString stem = base.section(QLatin1Char('.'), 0, 0).toUpper();
    const bool device = reserved.contains(stem) ||
                        (stem.size() == 4 &&
                         (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
                         stem.at(3).isDigit());
    if (device)
        base.prepend(QLatin1Char('_'));
    return base + QStringLiteral(".json");
}

} // namespace card
