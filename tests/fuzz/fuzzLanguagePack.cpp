// The language-pack reader on any bytes: a name exactly when the key is there, never holding a line
// break, and always the text right after the first key.
#include "FuzzCheck.h"
#include "lang/LanguagePacks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QString> name = lang::packName(content);
    const QString text = QString::fromUtf8(content);
    const QLatin1String key("LanguageName=");
    const qsizetype at = text.indexOf(key);
    FUZZ_CHECK(name.has_value() == (at >= 0));
    if (name) {
        FUZZ_CHECK(!name->contains(QLatin1Char('\r')) && !name->contains(QLatin1Char('\n')));
        FUZZ_CHECK(text.mid(at + key.size()).startsWith(*name));
    }
    return 0;
}
