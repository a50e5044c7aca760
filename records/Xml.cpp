#include "records/Xml.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

XmlNode* Xml::child(const XmlNode* parent, const char* name)
{
    return parent ? parent->first_node(name) : nullptr;
}

XmlNode* Xml::child(const XmlNode* parent, const char* first, const char* second)
{
    return child(child(parent, first), second);
}

const char* Xml::text(const XmlNode* node)
{
    return node ? node->value() : "";
}

const char* Xml::childText(const XmlNode* parent, const char* name)
{
    return text(child(parent, name));
}

const char* Xml::attribute(const XmlNode* node, const char* name)
{
    XmlAttribute* a = node ? node->first_attribute(name) : nullptr;
    return a ? a->value() : nullptr;
}

const char* Xml::firstAttribute(const XmlNode* node)
{
    XmlAttribute* a = node ? node->first_attribute() : nullptr;
    return a ? a->value() : nullptr;
}

const char* Xml::copy(XmlDocument& doc, const char* value)
{
    return doc.allocate_string(value ? value : "");
}

XmlNode* Xml::setChildText(XmlDocument& doc, XmlNode* parent, const char* name, const char* value)
{
    XmlNode* node = parent->first_node(name);
    if (!node) {
        node = doc.allocate_node(rapidxml::node_element, doc.allocate_string(name));
        parent->append_node(node);
    }
    node->value(copy(doc, value));
    return node;
}

void Xml::setAttribute(XmlDocument& doc, XmlNode* node, const char* name, const char* value)
{
    if (XmlAttribute* a = node->first_attribute(name)) {
        a->value(copy(doc, value));
        return;
    }
    node->append_attribute(doc.allocate_attribute(doc.allocate_string(name), copy(doc, value)));
}

namespace {

bool isControl(unsigned long code)
{
    return code < 0x20 && code != '\t' && code != '\n' && code != '\r';
}

// Skips to just after the terminator, or to the end when it is missing (the parser then fails).
const char* skipPast(const char* from, const char* end, const char* terminator)
{
    size_t length = std::strlen(terminator);
    if (length == 1) {
        // Tags are short: a plain loop beats a call to memchr.
        while (from < end && *from != terminator[0])
            ++from;
        return from < end ? from + 1 : end;
    }
    for (const char* p = from; p + length <= end; ++p) {
        p = static_cast<const char*>(std::memchr(p, terminator[0], size_t(end - p)));
        if (!p || p + length > end)
            break;
        if (!std::memcmp(p, terminator, length))
            return p + length;
    }
    return end;
}

bool startsWith(const char* p, const char* end, const char* prefix)
{
    size_t length = std::strlen(prefix);
    return size_t(end - p) >= length && !std::memcmp(p, prefix, length);
}

// The code of a character reference as the parser computes it: it takes the hexadecimal digits
// in decimal references too, and wraps on overflow.
unsigned long referencedCode(const char* p, const char* end)
{
    unsigned long base = p < end && *p == 'x' ? 16 : 10;
    unsigned long code = 0;
    for (p += base == 16; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p)
        code = code * base + unsigned(std::isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : std::tolower(*p) - 'a' + 10);
    return code;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

const char* skipSpace(const char* p, const char* end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

// Reads a start tag from just after its '<' the way the parser does, counting an element that
// is not empty into depth. Returns where the tag ends, or null where the parser would fail.
const char* endOfStartTag(const char* p, const char* end, int& depth)
{
    // The parser's classes of characters: 1 in a name, 2 in an attribute's name as well.
    static const auto classes = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned c = 1; c < 256; ++c) {
            bool name = !isSpace(char(c)) && c != '/' && c != '>' && c != '?';
            table[c] = name ? (c != '<' && c != '=' && c != '!' ? 3 : 1) : 0;
        }
        return table;
    }();
    auto is = [&](const char* at, unsigned kind) { return at < end && (classes[static_cast<unsigned char>(*at)] & kind); };
    const char* name = p;
    while (is(p, 1))
        ++p;
    if (p == name)
        return nullptr;
    for (p = skipSpace(p, end); is(p, 2);) {
        while (is(p, 2))
            ++p;
        p = skipSpace(p, end);
        if (p == end || *p != '=')
            return nullptr;
        p = skipSpace(p + 1, end);
        if (p == end || (*p != '"' && *p != '\''))
            return nullptr;
        // Values are short: a plain loop beats a call to memchr.
        char quote = *p++;
        while (p < end && *p != quote)
            ++p;
        if (p == end)
            return nullptr;
        p = skipSpace(p + 1, end);
    }
    if (p < end && *p == '>') {
        ++depth;
        return p + 1;
    }
    return p + 1 < end && p[0] == '/' && p[1] == '>' ? p + 2 : nullptr;
}

const char* const controlDamage = "it holds a control character";
const char* const referenceDamage = "it holds a reference to a control character";

// The nesting as the parser sees it, markup by markup: markup that cannot hold elements is
// skipped as it skips it. Returns "" or the damage met before the parser would stop.
std::string nestingDamage(const char* text, const char* end)
{
    int depth = 0;
    for (const char* p = text; p < end; ++p) {
        if (!(p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)))))
            break;
        char next = p + 1 < end ? p[1] : '\0';
        if (next == '/') {
            --depth;
            p = skipPast(p + 2, end, ">");
        } else if (next == '?') {
            // A declaration is kept and written back: only in front, and saying something, does it
            // read back as it was.
            if (end - p > 5 && std::tolower(p[2]) == 'x' && std::tolower(p[3]) == 'm' && std::tolower(p[4]) == 'l' &&
                isSpace(p[5]) && (p != text + std::strspn(text, "\xEF\xBB\xBF \t\r\n") ||
                                  startsWith(skipSpace(p + 5, end), end, "?>")))
                return "it has an XML declaration out of place or without attributes";
            p = skipPast(p + 2, end, "?>");
        } else if (next == '!') {
            p = startsWith(p, end, "<!--") ? skipPast(p + 4, end, "-->")
                : startsWith(p, end, "<![CDATA[") ? skipPast(p + 9, end, "]]>")
                : skipPast(p + 2, end, ">");
        } else if (!(p = endOfStartTag(p + 1, end, depth))) {
            return ""; // the parser stops at the same place, with an error
        } else if (depth > Xml::maxDepth) {
            return "its elements are nested more than " + std::to_string(Xml::maxDepth) + " deep";
        }
        --p; // at the end of the markup, which the loop steps past
    }
    return "";
}

// The bytes of one block of 64 that matter to the check, one bit a byte.
struct Marks {
    uint64_t open = 0, close = 0, slash = 0, quote = 0; // '<', '>', '/', '"' or '\''
    // Rare in a record: a control character, '&', and '!' or '?', which after '<' begin markup
    // other than a tag.
    uint64_t rare = 0;
    uint64_t blank = 0; // ' ', tab, line feed, carriage return
};

const size_t blockSize = 64;

#if defined(__SSE2__)
Marks marksOf(const char* block)
{
    Marks marks;
    for (size_t i = 0; i < blockSize; i += 16) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i));
        auto is = [&](char x) { return _mm_cmpeq_epi8(c, _mm_set1_epi8(x)); };
        auto bits = [&](__m128i found) { return uint64_t(unsigned(_mm_movemask_epi8(found))) << i; };
        __m128i belowSpace = _mm_cmpeq_epi8(_mm_min_epu8(c, _mm_set1_epi8(0x1f)), c);
        __m128i control = _mm_andnot_si128(is('\t') | is('\n') | is('\r'), belowSpace);
        marks.open |= bits(is('<'));
        marks.close |= bits(is('>'));
        marks.slash |= bits(is('/'));
        marks.quote |= bits(is('"') | is('\''));
        marks.rare |= bits(control | is('&') | is('!') | is('?'));
        marks.blank |= bits(is(' ') | is('\t') | is('\n') | is('\r'));
    }
    return marks;
}
#else
Marks marksOf(const char* block)
{
    Marks marks;
    for (size_t i = 0; i < blockSize; ++i) {
        unsigned char c = static_cast<unsigned char>(block[i]);
        uint64_t bit = uint64_t(1) << i;
        marks.open |= c == '<' ? bit : 0;
        marks.close |= c == '>' ? bit : 0;
        marks.slash |= c == '/' ? bit : 0;
        marks.quote |= c == '"' || c == '\'' ? bit : 0;
        marks.rare |= isControl(c) || c == '&' || c == '!' || c == '?' ? bit : 0;
        marks.blank |= isSpace(char(c)) ? bit : 0;
    }
    return marks;
}
#endif

#if defined(__x86_64__)
// The same, thirty-two bytes at a time on the processors that can. Lambdas would not inherit the
// target, hence the helpers.
__attribute__((target("avx2"))) inline __m256i wideIs(__m256i c, char x)
{
    return _mm256_cmpeq_epi8(c, _mm256_set1_epi8(x));
}

__attribute__((target("avx2"))) inline uint64_t wideBits(__m256i found, size_t at)
{
    return uint64_t(uint32_t(_mm256_movemask_epi8(found))) << at;
}

__attribute__((target("avx2"))) Marks wideMarksOf(const char* block)
{
    Marks marks;
    for (size_t i = 0; i < blockSize; i += 32) {
        __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + i));
        __m256i belowSpace = _mm256_cmpeq_epi8(_mm256_min_epu8(c, _mm256_set1_epi8(0x1f)), c);
        __m256i control = _mm256_andnot_si256(wideIs(c, '\t') | wideIs(c, '\n') | wideIs(c, '\r'), belowSpace);
        marks.open |= wideBits(wideIs(c, '<'), i);
        marks.close |= wideBits(wideIs(c, '>'), i);
        marks.slash |= wideBits(wideIs(c, '/'), i);
        marks.quote |= wideBits(wideIs(c, '"') | wideIs(c, '\''), i);
        marks.rare |= wideBits(control | wideIs(c, '&') | wideIs(c, '!') | wideIs(c, '?'), i);
        marks.blank |= wideBits(wideIs(c, ' ') | wideIs(c, '\t') | wideIs(c, '\n') | wideIs(c, '\r'), i);
    }
    return marks;
}

const bool wide = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

// The marks of a block that the end of the text cuts: past the end it reads as blanks, which
// mark nothing.
Marks lastMarks(const char* text, size_t size, size_t offset)
{
    char padded[blockSize];
    std::memset(padded, ' ', blockSize);
    if (offset < size)
        std::memcpy(padded, text + offset, size - offset);
    return marksOf(padded);
}

// The marks of count blocks from offset on, into marks.
void marksFrom(const char* text, size_t size, size_t offset, Marks* marks, size_t count)
{
    for (size_t k = 0; k < count; ++k, offset += blockSize)
        marks[k] = offset + blockSize <= size ? marksOf(text + offset) : lastMarks(text, size, offset);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void wideMarksFrom(const char* text, size_t size, size_t offset, Marks* marks,
                                                  size_t count)
{
    for (size_t k = 0; k < count; ++k, offset += blockSize)
        marks[k] = offset + blockSize <= size ? wideMarksOf(text + offset) : lastMarks(text, size, offset);
}
#endif

// Bit i is the parity of the bits 0 to i of x.
uint64_t prefixParity(uint64_t x)
{
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    return x ^ (x << 32);
}

// Without a popcount instruction in the base instruction set, the builtin is a library call.
int bitCount(uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555;
    x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0f;
    return int((x * 0x0101010101010101) >> 56);
}

// Vouches, a block of 64 bytes at a time and without following the markup byte by byte, that a
// text the program wrote nests no deeper than the limit. It gives up on anything it cannot vouch
// for (markup other than tags, a '>' outside a tag, a quoted value holding a '>', a depth near
// the limit), and nestingDamage then decides.
//
// When '<' and '>' alternate, each '<' begins a tag and the next '>' ends it, so the parity of
// the '<' and '>' seen so far tells the bytes inside a tag; a tag is an end tag when '/' follows
// its '<', and an empty element when '/' comes before its '>'. Before the parser stops, at most
// at a malformed start tag, this counts the depth as the parser does; after that the count does
// not matter, as long as it only ever gives up too early.
class Outline {
public:
    explicit Outline(const char* end) : end(end) {}

    bool add(const char* block, const Marks& marks, const Marks& after)
    {
        uint64_t inside = prefixParity(marks.open | marks.close) ^ insideBefore;
        if ((marks.open & ~inside) | (marks.close & inside))
            return false;
        for (uint64_t rare = marks.open & nextIs(marks.rare, after.rare); rare; rare &= rare - 1) {
            const char* open = block + __builtin_ctzll(rare);
            if (open[1] == '!' || open[1] == '?')
                return false;
        }
        insideBefore = uint64_t(int64_t(inside) >> 63);
        uint64_t ends = marks.open & nextIs(marks.slash, after.slash);
        uint64_t starts = marks.open & ~ends;
        // The '>' of end tags: a carry from each end tag's '<' runs up through the bytes that are
        // not '>' to the first that is, into the next block when the tag goes on there.
        uint64_t sum;
        bool carry = __builtin_add_overflow(ends, ~marks.close, &sum);
        carry |= __builtin_add_overflow(sum, endCarry, &sum);
        endCarry = carry;
        uint64_t empties = marks.close & ((marks.slash << 1) | slashBefore) & ~(sum & marks.close);
        slashBefore = marks.slash >> 63;
        plain = plain && onlyPlainText(marks, inside, starts, (sum & marks.close) | empties);
        int opened = bitCount(starts);
        if (depth + opened > Xml::maxDepth)
            return false;
        depth += opened - bitCount(ends | empties);
        if (!quotedTagsEndAtTheirFirstClose(block, marks, after, inside))
            return false;
        if (marks.open)
            lastOpen = block + 63 - __builtin_clzll(marks.open);
        return true;
    }

    // While add vouches: no text but right between a start tag and the end tag after it.
    bool plain = true;

private:
    // The text of the block (bytes outside the tags, not blank) lies neither before a start tag
    // nor after the '>' of an end tag or an empty element. A carry from each byte of text runs up
    // through the bytes outside tags to the '<' after them; one from each such '>' clears the
    // bytes outside tags after it. Both go on into the next block.
    bool onlyPlainText(const Marks& marks, uint64_t inside, uint64_t starts, uint64_t childCloses)
    {
        uint64_t outside = ~inside, text = outside & ~marks.close & ~marks.blank;
        uint64_t reached, cleared;
        bool carry = __builtin_add_overflow(outside, text, &reached);
        carry |= __builtin_add_overflow(reached, uint64_t(textCarry), &reached);
        textCarry = carry;
        carry = __builtin_add_overflow(outside, childCloses, &cleared);
        carry |= __builtin_add_overflow(cleared, uint64_t(childCarry), &cleared);
        childCarry = carry;
        return !(reached & starts) && !(text & ~cleared);
    }

    const char* firstClose(const char* from) const
    {
        return from < end ? static_cast<const char*>(std::memchr(from, '>', size_t(end - from))) : nullptr;
    }

    // The bits of the bytes that follow those of mask, the last one taken from the block after.
    static uint64_t nextIs(uint64_t mask, uint64_t after) { return (mask >> 1) | (after << 63); }

    // A quoted attribute value may hold a '>' that does not end its tag. The parser opens a value
    // only at a quote after '=' and blanks, and closes it at the next quote of the same kind: when
    // the last quote of each kind in a tag cannot open one, every value in it closes before its
    // first '>'. Other tags with quotes, and those that span blocks, are read as the parser reads them.
    bool quotedTagsEndAtTheirFirstClose(const char* block, const Marks& marks, const Marks& after, uint64_t inside)
    {
        for (uint64_t quotes = marks.quote & inside; quotes;) {
            unsigned at = unsigned(__builtin_ctzll(quotes));
            uint64_t opensBefore = marks.open & (~uint64_t(0) >> (63 - at));
            const char* open = opensBefore ? block + 63 - __builtin_clzll(opensBefore) : lastOpen;
            const char* close = marks.close >> at ? block + at + __builtin_ctzll(marks.close >> at)
                                : after.close ? block + blockSize + __builtin_ctzll(after.close)
                                              : firstClose(block + 2 * blockSize);
            size_t past = close ? size_t(close - block) + 1 : size_t(-1);
            bool plain = opensBefore && past <= blockSize &&
                        lastQuotesOpenNothing(block, quotes & (~uint64_t(0) >> (blockSize - past + 1)));
            int depthUnused = 0;
            if (open[1] != '/' && !plain) {
                const char* tagEnd = endOfStartTag(open + 1, end, depthUnused);
                if (tagEnd && (!close || tagEnd != close + 1))
                    return false;
            }
            quotes = past < blockSize ? quotes & (~uint64_t(0) << past) : 0;
        }
        return true;
    }

    // True when neither the last '"' nor the last '\'' of quotes, bits of block, follows '=' or a
    // blank.
    static bool lastQuotesOpenNothing(const char* block, uint64_t quotes)
    {
        char kindSeen = 0;
        while (quotes) {
            unsigned top = 63 - unsigned(__builtin_clzll(quotes));
            quotes &= ~(uint64_t(1) << top);
            const char* quote = block + top;
            if (*quote == kindSeen)
                continue;
            if (quote[-1] == '=' || isSpace(quote[-1]))
                return false;
            if (kindSeen)
                return true;
            kindSeen = *quote;
        }
        return true;
    }

    const char* end;
    const char* lastOpen = nullptr;
    uint64_t insideBefore = 0, slashBefore = 0;
    bool endCarry = false, textCarry = false, childCarry = false;
    int depth = 0;
};

}

bool Xml::hasControl(const char* text, size_t size)
{
    // Sixteen bytes at a time: a whole record is checked on every load.
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    Bytes found = {};
    size_t i = 0;
    for (; i + sizeof(Bytes) <= size; i += sizeof(Bytes)) {
        Bytes c;
        std::memcpy(&c, text + i, sizeof c);
        found |= Bytes((c < 0x20) & (c != '\t') & (c != '\n') & (c != '\r'));
    }
    bool any = false;
    for (size_t k = 0; k < sizeof(Bytes); ++k)
        any |= found[k] != 0;
    for (; i < size; ++i)
        any |= isControl(static_cast<unsigned char>(text[i]));
    return any;
}

std::string Xml::damageIn(const char* text, size_t size, bool* plain)
{
    if (plain)
        *plain = false;
    // One pass over the text: a control character anywhere outweighs a reference to one, and
    // that outweighs the nesting, which the outline vouches for in the common case.
    const char* end = text + size;
    Outline outline(end);
    bool outlined = true, reference = false;
    // The marks of a run of blocks at a time, and of the block after them.
    const size_t run = 64;
    Marks marks[run + 1];
    for (size_t first = 0; first < size; first += run * blockSize) {
        size_t blocks = std::min(run, (size - first + blockSize - 1) / blockSize);
#if defined(__x86_64__)
        if (wide)
            wideMarksFrom(text, size, first, marks, blocks + 1);
        else
#endif
            marksFrom(text, size, first, marks, blocks + 1);
        for (size_t k = 0; k < blocks; ++k) {
            const char* block = text + first + k * blockSize;
            for (uint64_t rare = marks[k].rare; rare; rare &= rare - 1) {
                const char* p = block + __builtin_ctzll(rare);
                if (*p == '&')
                    reference |= p + 1 < end && p[1] == '#' && isControl(referencedCode(p + 2, end));
                else if (*p != '!' && *p != '?')
                    return controlDamage;
            }
            outlined = outlined && outline.add(block, marks[k], marks[k + 1]);
        }
    }
    if (reference)
        return referenceDamage;
    if (plain)
        *plain = outlined && outline.plain;
    return outlined ? "" : nestingDamage(text, end);
}

std::string Xml::stepwiseDamageIn(const char* text, size_t size)
{
    if (!size)
        return "";
    const char* end = text + size;
    if (hasControl(text, size))
        return controlDamage;
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '&', size_t(end - p)))); ++p)
        if (p + 1 < end && p[1] == '#' && isControl(referencedCode(p + 2, end)))
            return referenceDamage;
    return nestingDamage(text, end);
}
