#include "JetText.h"

namespace jet {

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool textUnits(const unsigned char* data, std::size_t size, std::vector<std::uint16_t>& units,
               std::string& error)
{
    units.clear();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        units.reserve(size);
        bool compressed = true;
        std::size_t i = 2;
        while (i < size) {
            if (data[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(data[i]);
                ++i;
            } else if (i + 1 < size) {
                units.push_back(static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8)));
                i += 2;
            } else {
                error = "compressed text ends in the middle of a character";
                return false;
            }
        }
        return true;
    }
    if (size % 2 != 0) {
        error = "text has an odd number of bytes";
        return false;
    }
    units.reserve(size / 2);
    for (std::size_t i = 0; i < size; i += 2)
        units.push_back(static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8)));
    return true;
}

bool decodeText(const unsigned char* data, std::size_t size, std::string& utf8, std::string& error)
{
    std::vector<std::uint16_t> units;
    if (!textUnits(data, size, units, error))
        return false;
    utf8.clear();
    utf8.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) {
                error = "text holds a high surrogate without its low surrogate";
                return false;
            }
            const char32_t low = units[++i];
            appendUtf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            error = "text holds a low surrogate without its high surrogate";
            return false;
        } else {
            appendUtf8(utf8, u);
        }
    }
    return true;
}

} // namespace jet
