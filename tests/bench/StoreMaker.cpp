#include "StoreMaker.h"

#include "card/CardRecord.h"
#include "store/Module1.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace bench {

namespace {

// Kept stores carry this tag: a change in what is generated changes the tag, so no stale store is used.
constexpr const char* GeneratorTag = "v2";

QStringList split(const char* words)
{
    return QString::fromUtf8(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A cheap, fixed mixing function: the same index and salt always give the same pick.
quint32 mix(quint32 a, quint32 b)
{
    quint32 x = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca6bu;
    x ^= x >> 15;
    x *= 0x2c1b3c6du;
    x ^= x >> 12;
    return x;
}

const QString& pick(const QStringList& list, quint32 a, quint32 b)
{
    return list.at(static_cast<qsizetype>(mix(a, b) % static_cast<quint32>(list.size())));
}

} // namespace

CardMaker::CardMaker()
{
    m_given =
        split("艾琳 Ann Мирон 雪乃 Θέων 민준 Bob 李白 Aurélien Ingrid 慕容 Σοφία Ярослав さくら 지우 Ольга "
              "Élodie 诸葛 Hakon Ξένια 蒼月 Björn 서연 Tomás 欧阳 Людмила ひかり Zoë Φοίβη 凌霄 Gwendolyn "
              "Дарья 晴明 Ségolène Kaito 하늘 Ἀθηνᾶ 司马 Niamh Фёдор まこと Åsa 南宫 Ξανθός Cormac 玉衡 "
              "Ludmila 도윤 Ιάσων 青鸾 Rhiannon Богдан かおる Øystein 紫萱 Θάλεια 夜枭 Caoimhe Евгений "
              "ゆうき Þórr Ragnar 绮罗 Мила");
    m_family = split(
        "O'Brien 长孙 Петров 高橋 Παπαδόπουλος 김 Smith 上官 Dubois Åberg 端木 Νικολάου Соколов "
        "山本 박 Müller 令狐 Ζαχαρίου Kowalski 皇甫 Волкова 佐藤 이 García 独孤 Οικονόμου Новиков "
        "中村 최 Ó'Súilleabháin 赫连 Γεωργίου Lindqvist 宇文 Морозов 渡辺 정 Fernández 东方 Κωνσταντίνου "
        "Васильев 小林 강 Nørgaard 百里 Ιωάννου Kuznetsova 公孙 Zaręba 伊藤 윤 MacLeod 西门 Δημητρίου "
        "Попова 加藤 장 Vasquez 呼延 Χριστοδούλου Ødegaard 第五 Лебедев 吉田");
    m_epithet = split("之子 the·Bold Старший 剑圣 ὁ·Σοφός 守夜人 l'Ancien 白狐 Грозный 旅人 der·Weise 星语者 "
                      "Μέγας 无名 the·Younger 铁卫 Мудрый 行吟诗人 la·Rouge 渡鸦 Ἥρως 赤焰 Keeper 灰烬 "
                      "Странник 月影 Ironhand 青锋 Φύλαξ 孤星 Quiet 霜语");
    m_races = split("人类 精灵 矮人 半身人 龙裔 提夫林 半精灵 卓尔 侏儒 Eladrin Human Dwarf 兽人 Genasi "
                    "半兽人 Warforged");
    m_classes = split("法师 战士 游侠 牧师 圣武士 盗贼 术士 邪术师 吟游诗人 德鲁伊 Warlord Wizard 武僧 "
                      "Swordmage 萨满 Artificer");
    m_alignments = split("守序善良 善良 无阵营 邪恶 混乱邪恶 Good Unaligned Lawful·Good Evil");
    m_shortValues =
        split("12 +3 16 +5 18 +4 1d8 2d6+4 30 +7 敏捷 力量 体质 智力 感知 魅力 长剑 短弓 法杖 皮甲 "
              "链甲 重盾 魔法导弹 火球术 治疗之触 6格 7格 Darkvision 低光视觉 通用语 精灵语 龙语 150gp "
              "+2 23 11 1/天 遭遇 随意 每日 战斗专长 Alertness 洞察 察觉 运动 隐匿 20 14 +1 8 17");
    const QStringList openings =
        split("在北境的雪原上 自从那一夜以后 传说中 据旅店老板所言 她的老师曾说 "
              "每当月圆之时 在失落神殿的深处 按照部族的古老誓约 冒险者公会的记录显示 "
              "那场战争结束时 从东方商队那里 在他十二岁那年");
    const QStringList middles =
        split("他带着一柄祖传的长剑穿过了幽暗的森林， 她学会了用古老的龙语念诵咒文， "
              "队伍在破败的要塞中发现了一本残缺的魔法书， 他们与兽人部落签下了短暂的停战协议， "
              "这把短弓曾属于一位早已死去的精灵游侠， 城中的祭司为她施加了守护的祝福， "
              "他在地下城的第三层失去了两名同伴， 商人们愿意用三百金币换取那块星辰碎片， "
              "她总是在战斗前默默检查每一支箭矢， 那头幼龙至今仍在追寻他的踪迹，");
    const QStringList endings =
        split("从此再也没有回到故乡。 这件事至今仍是一个谜。 并发誓要找出真相。 "
              "所有人都以为那只是一个传说。 于是队伍决定继续向南前进。 直到下一次遭遇才被人想起。 "
              "每次施法后需要休息十分钟。 战斗中可以额外获得一点行动点。 这一点务必记在角色卡上。 "
              "他的笑声在山谷里回荡了很久。");
    for (int i = 0; i < 160; ++i) {
        m_lines << pick(openings, i, 1) + QStringLiteral("，") + pick(middles, i, 2) + pick(middles, i, 3) +
                       pick(endings, i, 4);
    }
}

QString CardMaker::name(int index) const
{
    // An odd multiplier permutes 0..NameCount-1, so the names come in no particular order.
    const quint32 n = (static_cast<quint32>(index) * 40503u + 12345u) % NameCount;
    const QString& given = m_given.at(n % 64);
    const QString& family = m_family.at((n / 64) % 64);
    const QString& epithet = m_epithet.at(static_cast<qsizetype>(n / 4096));
    return given + QStringLiteral("·") + family + QLatin1Char(' ') + epithet;
}

card::Sheet CardMaker::sheet(int index) const
{
    card::Sheet s;
    const quint32 i = static_cast<quint32>(index);
    for (int f = 0; f < card::FieldCount; ++f) {
        if (f == card::ReferenceField) {
            s.text[f] = card::referenceText();
        } else if (card::isMultiLine(f)) {
            const int lineCount = 3 + static_cast<int>(mix(i, static_cast<quint32>(f)) % 4);
            QString text;
            for (int l = 0; l < lineCount; ++l) {
                if (l > 0)
                    text += QStringLiteral("\r\n");
                text += pick(m_lines, i * 31u + static_cast<quint32>(l), static_cast<quint32>(f));
            }
            s.text[f] = text;
        } else {
            s.text[f] = pick(m_shortValues, i, static_cast<quint32>(f));
        }
    }
    s.text[0] = name(index);
    s.text[1] = pick(m_classes, i, 1001);
    s.text[2] = pick(m_alignments, i, 1002);
    s.text[6] = QString::number(1 + mix(i, 1006) % 30);
    s.text[8] = pick(m_races, i, 1008);
    for (int c = 0; c < card::CheckFCount; ++c)
        s.checkF[c] = mix(i, 2000u + static_cast<quint32>(c)) % 3 == 0;
    for (int c = 0; c < card::CheckWNCount; ++c)
        s.checkWN[c] = mix(i, 3000u + static_cast<quint32>(c)) % 2 == 0;
    return s;
}

namespace {

bool fill(const QString& path, int cards, QString* error)
{
    const QString connection = QStringLiteral("bench-generate");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // A scratch file until it is complete: no journal, no syncs, one transaction.
            ok = q.exec(QStringLiteral("PRAGMA journal_mode=OFF")) &&
                 q.exec(QStringLiteral("PRAGMA synchronous=OFF")) && q.exec(QStringLiteral("BEGIN"));
            QSqlQuery card(db);
            QSqlQuery list(db);
            ok = ok && card.prepare(
                           QStringLiteral("INSERT INTO card (Nae, Info, Chk, ZhongZu, ZhuanChang, TeZheng,"
                                          " Lang, YiShi, QiTa, WuPin, GeXing, WaiMao, MengYou, BeiJing, Blog)"
                                          " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            ok = ok && list.prepare(QStringLiteral(
                           "INSERT INTO lstt (Nam, lv, race, tra, cmp) VALUES (?, ?, ?, ?, ?)"));
            const CardMaker maker;
            if (!maker.isComplete()) {
                ok = false;
                *error = QStringLiteral("the name parts do not come in the expected counts");
            }
            for (int i = 0; ok && i < cards; ++i) {
                const card::Sheet sheet = maker.sheet(i);
                const card::CardRecord record = card::toCardRecord(sheet);
                const card::ListEntry entry = card::toListEntry(sheet);
                card.bindValue(0, record.nae);
                card.bindValue(1, record.info);
                card.bindValue(2, record.chk);
                for (int c = 0; c < card::NoteColumnCount; ++c)
                    card.bindValue(3 + c, record.notes[c]);
                list.bindValue(0, entry.nam);
                list.bindValue(1, entry.lv);
                list.bindValue(2, entry.race);
                list.bindValue(3, entry.tra);
                list.bindValue(4, entry.cmp);
                ok = card.exec() && card.numRowsAffected() == 1 && list.exec() && list.numRowsAffected() == 1;
                if (!ok)
                    *error = card.lastError().text() + list.lastError().text();
            }
            ok = ok && q.exec(QStringLiteral("COMMIT"));
            if (!ok && error->isEmpty())
                *error = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

} // namespace

QString cachedStore(const QString& cacheRoot, int cards, QString* error)
{
    const QString dir =
        QDir(cacheRoot).filePath(QStringLiteral("cards-%1-%2").arg(cards).arg(QLatin1String(GeneratorTag)));
    const QString store = QDir(dir).filePath(QStringLiteral("Sav.qlk"));
    const QString complete = QDir(dir).filePath(QStringLiteral("complete"));
    if (QFile::exists(complete) && QFile::exists(store))
        return dir;
    QDir().mkpath(dir);
    QFile::remove(store);
    const QString scratch = store + QStringLiteral(".generating");
    QFile::remove(scratch);
    if (!store::Module1::createStore(scratch, error) || !fill(scratch, cards, error) ||
        !QFile::rename(scratch, store)) {
        QFile::remove(scratch);
        if (error->isEmpty())
            *error = QStringLiteral("cannot write %1").arg(store);
        return {};
    }
    QFile marker(complete);
    if (!marker.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(complete);
        return {};
    }
    return dir;
}

QString autoHideStore(const QString& cacheRoot, const QString& fromDir, QString* error)
{
    const QString dir = QDir(cacheRoot).filePath(QStringLiteral("autohide"));
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString store = QDir(dir).filePath(QStringLiteral("Sav.qlk"));
    if (!QFile::copy(QDir(fromDir).filePath(QStringLiteral("Sav.qlk")), store)) {
        *error = QStringLiteral("cannot copy the store into %1").arg(dir);
        return {};
    }
    const QString connection = QStringLiteral("bench-autohide");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(store);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.prepare(QStringLiteral("UPDATE sets SET magw = ? WHERE Btips = ?"));
            q.addBindValue(1);
            q.addBindValue(QStringLiteral("XD"));
            ok = ok && q.exec() && q.numRowsAffected() == 1;
            if (!ok)
                *error = q.lastError().text();
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok ? dir : QString();
}

} // namespace bench
