// SPDX-License-Identifier: MIT
// Reading follows QSettings 6.4 step by step, odd corners included: a file may hold anything, and
// the program must find in it what QSettings finds. Writing edits the file in place, and only where
// QSettings' parser stands between two lines, so nothing around the entry changes how it reads.
#include "platform/linux/inifile.h"

#include <algorithm>
#include <vector>

namespace inifile {

namespace {

constexpr std::size_t none = std::string_view::npos;
constexpr char16_t replacementCharacter = 0xFFFD;
constexpr char32_t byteOrderMark = 0xFEFF;
constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t firstSupplementary = 0x10000;
constexpr char32_t lastCodePoint = 0x10FFFF;
constexpr char16_t firstHighSurrogate = 0xD800;
constexpr char16_t firstLowSurrogate = 0xDC00;
constexpr char16_t afterSurrogates = 0xE000;
constexpr int surrogateBits = 10;
// UTF-8: ASCII below 0x80; lead bytes from 0xC2 (0xC0 and 0xC1 would only spell ASCII, too long) to
// 0xF4 (beyond lies past U+10FFFF), the lead's payload being the bits below its length's ones;
// continuation bytes 10xxxxxx, six bits each.
constexpr unsigned firstNonAscii = 0x80;
constexpr unsigned firstLead = 0xC2;
constexpr unsigned lastLead = 0xF4;
constexpr unsigned leadBits = 0x7F;
constexpr unsigned continuationMask = 0xC0;
constexpr unsigned continuationTag = 0x80;
constexpr unsigned continuationPayload = 0x3F;
// A hexadecimal digit spells four bits.
constexpr int hexDigitBits = 4;
constexpr unsigned hexDigitMask = 0xF;
constexpr int utf8ContinuationBits = 6;
constexpr char16_t lastControl = 0x1F;
constexpr char16_t lastLatin1 = 0xFF;
constexpr int octalBase = 8;
constexpr int hexBase = 16;
constexpr int digitsAndLetters = 36;
constexpr std::string_view asciiSpace = " \t\n\v\f\r";
// What QSettings skips before a line.
constexpr std::string_view lineSpace = " \t\n\r";

// The value of a digit or letter in `base`, or -1.
int digitValue(char16_t ch, int base)
{
    const int letter = ch | 0x20;
    const int value = ch >= '0' && ch <= '9'           ? ch - '0'
                      : letter >= 'a' && letter <= 'z' ? letter - 'a' + 10
                                                       : base;
    return value < base ? value : -1;
}

bool isSurrogate(char32_t unit)
{
    return unit >= firstHighSurrogate && unit < afterSurrogates;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(asciiSpace);
    return first == none ? "" : text.substr(first, text.find_last_not_of(asciiSpace) + 1 - first);
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowercase)
{
    return std::equal(
        text.begin(), text.end(), lowercase.begin(), lowercase.end(),
        [](char ch, char lower) { return (ch >= 'A' && ch <= 'Z' ? ch | 0x20 : ch) == lower; });
}

// --- Text, converted as Qt 6.4 converts it

// One character of Qt's UTF-8 decoder: its length in bytes, 0 when the bytes end inside a
// character well-formed so far, -1 when it is malformed.
struct Decoded
{
    int length;
    char32_t code;
};

Decoded decodeOne(std::string_view bytes, std::size_t at)
{
    constexpr Decoded malformed{-1, 0};
    const auto byte = [&](std::size_t at) {
        return static_cast<unsigned char>(bytes[at]);
    };
    const unsigned lead = byte(at);
    if (lead < firstNonAscii) {
        return {1, lead};
    }
    if (lead < firstLead || lead > lastLead) {
        return malformed;
    }
    const int length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    constexpr char32_t smallestOfLength[] = {0, 0, 0x80, 0x800, firstSupplementary};
    char32_t code = lead & (leadBits >> length);
    for (std::size_t i = at + 1; i < at + length; ++i) {
        if (i == bytes.size()) {
            return {0, 0};
        }
        if ((byte(i) & continuationMask) != continuationTag) {
            return malformed;
        }
        code = code << utf8ContinuationBits | (byte(i) & continuationPayload);
    }
    if (code < smallestOfLength[length] || isSurrogate(code) || code > lastCodePoint) {
        return malformed;
    }
    return {length, code};
}

// Qt's UTF-8 decoder, which QSettings runs over the pieces of a value between escapes: a
// character cut by an escape is joined across it, a malformed one costs the next piece its first
// byte too, a byte order mark as the first character is dropped, and what is cut short at the end
// stays pending.
struct Utf8Decoder
{
    std::u16string out;
    std::string pending;
    bool started = false;

    void decode(std::string_view piece)
    {
        const std::string bytes = pending + std::string(piece);
        const std::size_t carried = pending.size();
        pending.clear();
        for (std::size_t at = 0; at < bytes.size(); started = true) {
            const Decoded one = decodeOne(bytes, at);
            if (one.length == 0) {
                pending = bytes.substr(at);
                return;
            }
            if (one.length < 0) {
                out += replacementCharacter;
                at += at == 0 ? carried + 1 : 1;
                continue;
            }
            if (started || one.code != byteOrderMark) {
                appendUtf16(one.code);
            }
            at += one.length;
        }
    }

    void appendUtf16(char32_t code)
    {
        if (code >= firstSupplementary) {
            code -= firstSupplementary;
            out += static_cast<char16_t>(firstHighSurrogate + (code >> surrogateBits));
            code = firstLowSurrogate + (code & ((1U << surrogateBits) - 1));
        }
        out += static_cast<char16_t>(code);
    }
};

// As QString::fromUtf8: each byte of a malformed or cut character is one U+FFFD.
std::u16string fromUtf8(std::string_view bytes)
{
    Utf8Decoder decoder;
    decoder.decode(bytes);
    return decoder.out.append(decoder.pending.size(), replacementCharacter);
}

// Appends the character at `at` as QString::toUtf8 does, a surrogate that is not half of a pair
// as '?', and returns how many units it took.
std::size_t appendUtf8(std::string& out, std::u16string_view text, std::size_t at)
{
    char32_t code = text[at];
    const bool pair = code < firstLowSurrogate && isSurrogate(code) && at + 1 < text.size() &&
                      text[at + 1] >= firstLowSurrogate && isSurrogate(text[at + 1]);
    if (pair) {
        code = firstSupplementary + ((code - firstHighSurrogate) << surrogateBits) +
               (text[at + 1] - firstLowSurrogate);
    } else if (isSurrogate(code)) {
        out += '?';
        return 1;
    }
    constexpr unsigned char leads[] = {0x00, 0xC0, 0xE0, 0xF0};
    const int continuations = code < 0x80                 ? 0
                              : code < 0x800              ? 1
                              : code < firstSupplementary ? 2
                                                          : 3;
    out += static_cast<char>(leads[continuations] | code >> (utf8ContinuationBits * continuations));
    for (int i = continuations - 1; i >= 0; --i) {
        out += static_cast<char>(continuationTag |
                                 (code >> (utf8ContinuationBits * i) & continuationPayload));
    }
    return pair ? 2 : 1;
}

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        at += appendUtf8(out, text, at);
    }
    return out;
}

// --- Names of keys and sections

// The number in "%xx" or "%Uxxxx", read as QString::toUShort(16) reads it: up to a NUL, with
// blanks around it, a '+' and a "0x".
std::optional<char16_t> escapedUnit(std::u16string_view digits)
{
    const auto isSpace = [](char16_t ch) {
        return ch < firstNonAscii && asciiSpace.find(static_cast<char>(ch)) != none;
    };
    digits = digits.substr(0, digits.find(u'\0'));
    while (!digits.empty() && isSpace(digits.front())) {
        digits.remove_prefix(1);
    }
    while (!digits.empty() && isSpace(digits.back())) {
        digits.remove_suffix(1);
    }
    digits.remove_prefix(digits.starts_with(u'+') ? 1 : 0);
    digits.remove_prefix(digits.starts_with(u"0x") || digits.starts_with(u"0X") ? 2 : 0);
    char16_t value = 0;
    for (const char16_t digit : digits) {
        if (digitValue(digit, hexBase) < 0) {
            return std::nullopt;
        }
        value = static_cast<char16_t>(value * hexBase + digitValue(digit, hexBase));
    }
    return digits.empty() ? std::nullopt : std::optional(value);
}

std::u16string unescapedName(std::string_view bytes)
{
    const std::u16string text = fromUtf8(bytes);
    std::u16string name;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != u'%' || at + 1 == text.size()) {
            name += text[at] == u'\\' ? u'/' : text[at];
            ++at;
            continue;
        }
        const std::size_t length = text[at + 1] == u'U' ? 4 : 2;
        const std::size_t first = length == 4 ? at + 2 : at + 1;
        const auto unit =
            first + length <= text.size() ? escapedUnit(text.substr(first, length)) : std::nullopt;
        name += unit.value_or(u'%');
        at = unit ? first + length : at + 1;
    }
    return name;
}

std::string escapedName(std::u16string_view name)
{
    std::string out;
    for (const char16_t unit : name) {
        if (unit == u'/') {
            out += '\\';
        } else if (digitValue(unit, digitsAndLetters) >= 0 || unit == u'_' || unit == u'-' ||
                   unit == u'.') {
            out += static_cast<char>(unit);
        } else {
            out += unit <= lastLatin1 ? "%" : "%U";
            for (int shift = ((unit <= lastLatin1 ? 2 : 4) - 1) * hexDigitBits; shift >= 0;
                 shift -= hexDigitBits) {
                out += "0123456789ABCDEF"[unit >> shift & hexDigitMask];
            }
        }
    }
    return out;
}

// QSettings' prefix for the keys under a header line: none for the top level, else the section
// and '/'.
std::u16string sectionPrefix(std::string_view header)
{
    const std::string_view name = trimmed(header.substr(1, header.find(']') - 1));
    if (equalsIgnoringCase(name, "general")) {
        return {};
    }
    return (equalsIgnoringCase(name, "%general") ? std::u16string(name.begin() + 1, name.end())
                                                 : unescapedName(name)) +
           u'/';
}

std::u16string_view sectionName(std::u16string_view prefix)
{
    return prefix.substr(0, prefix.empty() ? 0 : prefix.size() - 1);
}

// --- Lines, split as QSettings splits them

struct Line
{
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t equals = none;
    // The line ends inside quotes (only at the end of the file), or in an escape that would take a
    // line break added right after it.
    bool inQuotes = false;
    bool openEscape = false;
};

// One state machine, as QSettings' own line reader is, kept whole so the two compare line by line.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
std::optional<Line> readLine(std::string_view data, std::size_t& position)
{
    Line line;
    std::size_t& start = line.start;
    start = std::min(data.find_first_not_of(lineSpace, position), data.size());
    std::size_t at = start;
    std::size_t openEscapeEnd = none;
    while (at < data.size()) {
        const char ch = data[at++];
        const bool breaks = ch == '\n' || ch == '\r' || ch == ';';
        if (ch == '=' && !line.inQuotes && line.equals == none) {
            line.equals = at - 1;
        } else if (ch == '"') {
            line.inQuotes = !line.inQuotes;
        } else if (ch == '\\' && at == data.size()) {
            openEscapeEnd = at;
        } else if (ch == '\\') {
            // "\r\n" and "\n\r" after a backslash are one escaped line break.
            const char escaped = data[at++];
            const bool pairs = at < data.size() && (escaped == '\n' || escaped == '\r') &&
                               (data[at] == '\n' || data[at] == '\r') && data[at] != escaped;
            at += pairs ? 1 : 0;
            openEscapeEnd = escaped == '\r' && !pairs ? at : openEscapeEnd;
        } else if (ch == ';' && at == start + 1) {
            const std::size_t lineEnd = std::min(data.find_first_of("\n\r", at), data.size());
            at = start = std::min(data.find_first_not_of(lineSpace, lineEnd), data.size());
        } else if (breaks && at == start + 1) {
            start = at;
        } else if (breaks && !line.inQuotes) {
            --at;
            break;
        }
    }
    position = line.end = at;
    line.openEscape = openEscapeEnd == at;
    return at > start ? std::optional(line) : std::nullopt;
}

// A line as it bears on one entry: whether it lies in the entry's section, the prefix of the
// section a header starts, the key of an entry in the section.
struct ScannedLine
{
    Line line;
    bool inSection = false;
    std::optional<std::u16string> header;
    std::optional<std::u16string> key;
};

template <typename Visit> void scan(std::string_view file, std::u16string_view prefix, Visit visit)
{
    const std::size_t bodyStart =
        file.starts_with(utf8ByteOrderMark) ? utf8ByteOrderMark.size() : 0;
    // QSettings looks for headers after the byte order mark but reads the top level's entries
    // from the first byte, so a first line only blanks away from the mark starts with it.
    const std::size_t firstLineStart =
        bodyStart > 0 ? file.find_first_not_of(" \t", bodyStart) : none;
    std::size_t position = bodyStart;
    ScannedLine scanned;
    scanned.inSection = prefix.empty();
    while (const auto line = readLine(file, position)) {
        const bool header = file[line->start] == '[';
        scanned.line = *line;
        scanned.line.start = line->start == firstLineStart && !header ? 0 : line->start;
        scanned.header.reset();
        scanned.key.reset();
        if (header) {
            scanned.header = sectionPrefix(file.substr(line->start, line->end - line->start));
            scanned.inSection = scanned.header == prefix;
        } else if (scanned.inSection && line->equals != none) {
            const std::size_t start = scanned.line.start;
            scanned.key = unescapedName(trimmed(file.substr(start, line->equals - start)));
        }
        visit(scanned);
    }
}

// --- Values

// What QSettings parses from the bytes after '=': a string, or a list when a comma stands outside
// quotes. Of a list, `decoder.out` holds the last item and `listText` the others as text.
struct Value
{
    Utf8Decoder decoder;
    bool isList = false;
    std::u16string listText;
    // An item starting with a single '@' makes QSettings give a list of variants, no text.
    bool variantItem = false;

    void endItem()
    {
        const std::u16string_view item = decoder.out;
        variantItem = variantItem || (item.starts_with(u'@') && !item.starts_with(u"@@"));
        listText.append(isList ? u", " : u"").append(item.substr(item.starts_with(u'@') ? 1 : 0));
        isList = true;
        decoder.out.clear();
    }
};

// One state machine, as QSettings' own value parser is, kept whole so the two compare line by line.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
Value parsedValue(std::string_view bytes)
{
    constexpr std::string_view escapeNames = "abfnrtv\"?'\\";
    constexpr std::u16string_view escapeMeanings = u"\a\b\f\n\r\t\v\"?'\\";
    Value value;
    std::u16string& text = value.decoder.out;
    bool inQuotes = false;
    bool quoted = false;
    // QSettings leaves the blanks at the end when the bytes end inside an escape.
    bool chopAtEnd = true;
    std::size_t at = std::min(bytes.find_first_not_of(" \t"), bytes.size());
    // Blanks from escapes and quotes, and those before this, stay.
    std::size_t chopLimit = 0;
    const auto chop = [&] {
        while (text.size() > chopLimit && (text.back() == u' ' || text.back() == u'\t')) {
            text.pop_back();
        }
    };
    while (at < bytes.size() && chopAtEnd) {
        const char ch = bytes[at];
        if (ch == '\\') {
            if (++at == bytes.size()) {
                chopAtEnd = false;
                break;
            }
            const char escaped = bytes[at++];
            const std::size_t named = escapeNames.find(escaped);
            const int base = escaped == 'x' ? hexBase : octalBase;
            const bool number = escaped == 'x'
                                    ? at < bytes.size() && digitValue(bytes[at], base) >= 0
                                    : digitValue(escaped, base) >= 0;
            if (named != none) {
                text += escapeMeanings[named];
            } else if (number) {
                // The number wraps at 16 bits, as QSettings' does.
                char16_t unit = escaped == 'x' ? 0 : escaped - '0';
                for (; at < bytes.size() && digitValue(bytes[at], base) >= 0; ++at) {
                    unit = static_cast<char16_t>(unit * base + digitValue(bytes[at], base));
                }
                text += unit;
                chopAtEnd = at < bytes.size();
            } else if (escaped == 'x') {
                chopAtEnd = at < bytes.size();
            } else if ((escaped == '\n' || escaped == '\r') && at < bytes.size() &&
                       (bytes[at] == '\n' || bytes[at] == '\r') && bytes[at] != escaped) {
                ++at;
            }
            chopLimit = text.size();
        } else if (ch == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            at = inQuotes ? at + 1 : std::min(bytes.find_first_not_of(" \t", at + 1), bytes.size());
            chopLimit = inQuotes ? chopLimit : text.size();
        } else if (ch == ',' && !inQuotes) {
            if (!quoted) {
                chop();
            }
            value.endItem();
            quoted = false;
            at = std::min(bytes.find_first_not_of(" \t", at + 1), bytes.size());
            chopLimit = 0;
        } else {
            const std::size_t pieceEnd =
                std::min(bytes.find_first_of("\\\",", at + 1), bytes.size());
            value.decoder.decode(bytes.substr(at, pieceEnd - at));
            at = pieceEnd;
        }
    }
    if (chopAtEnd && !quoted) {
        chop();
    }
    return value;
}

constexpr std::u16string_view byteArrayPrefix = u"@ByteArray(";

// The number of arguments QSettings counts in "@Rect(1 2 3 4)" and the like.
std::size_t argumentCount(std::u16string_view text, std::size_t open)
{
    return std::count_if(text.begin() + open + 1, text.end(),
                         [](char16_t ch) { return ch == u' ' || ch == u')'; });
}

// The string QSettings makes of a value that is no list, or nothing when it makes another type of
// it, a byte array among them.
std::optional<std::u16string> stringOf(std::u16string_view text)
{
    if (text.starts_with(u'@') && text.ends_with(u')')) {
        constexpr std::u16string_view string = u"@String(";
        if (text.starts_with(string)) {
            return std::u16string(text.substr(string.size(), text.size() - string.size() - 1));
        }
        const bool rect = text.starts_with(u"@Rect(") && argumentCount(text, 5) == 4;
        const bool size = text.starts_with(u"@Size(") && argumentCount(text, 5) == 2;
        const bool point = text.starts_with(u"@Point(") && argumentCount(text, 6) == 2;
        if (rect || size || point || text == u"@Invalid()" || text.starts_with(byteArrayPrefix) ||
            text.starts_with(u"@Variant(") || text.starts_with(u"@DateTime(")) {
            return std::nullopt;
        }
    }
    return std::u16string(text.substr(text.starts_with(u"@@") ? 1 : 0));
}

std::optional<std::u16string> textOf(Value value)
{
    const std::u16string_view text = value.decoder.out;
    if (!value.isList && text.starts_with(byteArrayPrefix) && text.ends_with(u')')) {
        std::string bytes;
        for (const char16_t unit :
             text.substr(byteArrayPrefix.size(), text.size() - byteArrayPrefix.size() - 1)) {
            bytes += unit <= lastLatin1 ? static_cast<char>(unit) : '?';
        }
        return fromUtf8(bytes);
    }
    if (!value.isList) {
        return stringOf(text);
    }
    value.endItem();
    return value.variantItem ? std::nullopt : std::optional(std::move(value.listText));
}

// A string as QSettings 6.4 writes it.
std::string escapedValue(std::u16string text)
{
    if (text.find(u'\0') != none) {
        text = u"@String(" + text + u')';
    } else if (text.starts_with(u'@')) {
        text.insert(0, 1, u'@');
    }
    constexpr std::u16string_view named = u"\a\b\f\n\r\t\v";
    constexpr std::string_view hexDigits = "0123456789abcdef";
    std::string out;
    bool needsQuotes = false;
    // After "\0" or "\x1f", a hex digit would be read as part of the number.
    bool escapeHexDigit = false;
    for (std::size_t at = 0; at < text.size();) {
        const char16_t unit = text[at];
        const std::size_t name = named.find(unit);
        needsQuotes = needsQuotes || unit == u';' || unit == u',' || unit == u'=';
        escapeHexDigit = (escapeHexDigit && digitValue(unit, hexBase) >= 0) ||
                         (unit <= lastControl && name == none);
        if (unit == u'\0') {
            out += "\\0";
        } else if (escapeHexDigit) {
            out += unit < hexBase ? std::string{'\\', 'x', hexDigits[unit]}
                                  : std::string{'\\', 'x', hexDigits[unit / hexBase],
                                                hexDigits[unit % hexBase]};
        } else if (name != none) {
            out += {'\\', "abfnrtv"[name]};
        } else if (unit == u'"' || unit == u'\\') {
            out += {'\\', static_cast<char>(unit)};
        } else {
            at += appendUtf8(out, text, at);
            continue;
        }
        ++at;
    }
    if (needsQuotes || out.starts_with(' ') || out.ends_with(' ')) {
        return '"' + out + '"';
    }
    return out;
}

// QSettings drops a byte order mark its decoder meets first in a value, so its next save writes
// such a string anew. The same is done here, where that keeps the string QSettings reads.
std::optional<std::string> savedByQSettings(std::string_view raw)
{
    if (raw.find(utf8ByteOrderMark) == none) {
        return std::nullopt;
    }
    const Value value = parsedValue(raw);
    const auto string = value.isList ? std::nullopt : stringOf(value.decoder.out);
    if (!string) {
        return std::nullopt;
    }
    std::string saved = escapedValue(*string);
    if (saved == raw || stringOf(parsedValue(saved).decoder.out) != string) {
        return std::nullopt;
    }
    return saved;
}

// What ends `line` so that a new line may follow: a line break, after what closes an escape or
// quotes left open there, which leaves that line's value as it was.
std::string lineBreakAfter(const Line& line)
{
    return std::string(line.openEscape ? "\n" : "") + (line.inQuotes ? "\"" : "") + "\n";
}

struct Target
{
    Target(std::string_view section, std::string_view key)
        : prefix(section.empty() || equalsIgnoringCase(section, "general")
                     ? u""
                     : fromUtf8(section) + u'/'),
          key(fromUtf8(key))
    {}

    std::u16string prefix;
    std::u16string key;
};

struct Edit
{
    std::size_t begin;
    std::size_t end;
    std::string text;
};

} // namespace

std::optional<std::string> readText(std::string_view file, std::string_view section,
                                    std::string_view key)
{
    const Target target(section, key);
    std::optional<Line> found;
    // The last entry QSettings reads wins.
    scan(file, target.prefix, [&](const ScannedLine& scanned) {
        found = scanned.key == target.key ? scanned.line : found;
    });
    if (!found) {
        return std::nullopt;
    }
    const auto text =
        textOf(parsedValue(file.substr(found->equals + 1, found->end - found->equals - 1)));
    return text ? std::optional(toUtf8(*text)) : std::nullopt;
}

// NOLINTNEXTLINE(readability-function-cognitive-complexity): the edit's steps in their order.
std::string withText(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value)
{
    const Target target(section, key);
    const std::string escaped = escapedValue(fromUtf8(value));
    std::vector<Edit> edits;
    bool found = false;
    std::optional<Line> lastLine;
    std::optional<Line> lastInSection;
    // QSettings 6.4 writes sections and keys sorted by name; a new one goes where it sorts.
    std::size_t firstKeyAfter = none;
    std::size_t firstSectionAfter = none;
    scan(file, target.prefix, [&](const ScannedLine& scanned) {
        const Line& line = scanned.line;
        lastLine = line;
        lastInSection = scanned.inSection ? line : lastInSection;
        if (scanned.header && !scanned.inSection && firstSectionAfter == none &&
            sectionName(*scanned.header) > sectionName(target.prefix)) {
            firstSectionAfter = line.start;
        }
        if (scanned.header || line.equals == none) {
            return;
        }
        const std::size_t valueStart = line.equals + 1;
        if (scanned.key == target.key) {
            // The first entry takes the value; later ones would override it, so they go.
            edits.push_back(found ? Edit{line.start, line.end, {}}
                                  : Edit{valueStart, line.end, escaped});
            found = true;
            return;
        }
        if (scanned.key && *scanned.key > target.key && firstKeyAfter == none) {
            firstKeyAfter = line.start;
        }
        // A line left open at the end is none QSettings writes, and is closed as it is.
        const bool open = line.inQuotes || line.openEscape;
        if (auto saved = open ? std::nullopt
                              : savedByQSettings(file.substr(valueStart, line.end - valueStart))) {
            edits.push_back({valueStart, line.end, std::move(*saved)});
        }
    });
    if (!found) {
        const std::string entry = escapedName(target.key) + '=' + escaped;
        const std::string header = target.prefix.empty()
                                       ? "[General]"
                                       : '[' + escapedName(sectionName(target.prefix)) + ']';
        if (firstKeyAfter != none) {
            edits.push_back({firstKeyAfter, firstKeyAfter, entry + '\n'});
        } else if (lastInSection) {
            const std::size_t at = lastInSection->end;
            const std::string end = at == file.size() ? "\n" : "";
            edits.push_back({at, at, lineBreakAfter(*lastInSection) + entry + end});
        } else if (firstSectionAfter != none) {
            edits.push_back({firstSectionAfter, firstSectionAfter, header + '\n' + entry + "\n\n"});
        } else {
            // After the last line, closed, or after a comment or blanks that end the file.
            std::string start = lastLine && lastLine->end == file.size() ? lineBreakAfter(*lastLine)
                                : file.empty() || file.back() == '\n'    ? ""
                                                                         : "\n";
            start += file.empty() ? "" : "\n";
            edits.push_back({file.size(), file.size(), start + header + '\n' + entry + '\n'});
        }
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& left, const Edit& right) { return left.begin < right.begin; });
    std::string out;
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        out.append(file.substr(copied, edit.begin - copied)).append(edit.text);
        copied = edit.end;
    }
    return out.append(file.substr(copied));
}

} // namespace inifile
