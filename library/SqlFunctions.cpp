#include "library/SqlFunctions.h"

#include <QChar>
#include <QSqlDriver>
#include <QVariant>
#include <cstdint>
#include <cstring>
#include <string>
#include <sqlite3.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <vector>

namespace {

// Pattern tokens above the Unicode range stand for the two wildcards.
constexpr char32_t kAny = 0x110000;  // "%"
constexpr char32_t kOne = 0x110001;  // "_"

inline char32_t foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? char32_t(c + 32) : char32_t(c);
}

inline char32_t fold(char32_t c) {
    return c < 0x80 ? foldAscii(static_cast<unsigned char>(c)) : QChar::toCaseFolded(c);
}

bool isAscii(const unsigned char* s, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, s + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < n; ++i)
        if (s[i] & 0x80) return false;
    return true;
}

// Decodes one UTF-8 sequence; a malformed byte stands for itself, so any
// input makes progress and compares consistently.
char32_t decode(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || end - p < extra) return c;
    char32_t cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) return c;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

void foldUtf8(const unsigned char* s, int n, std::vector<char32_t>& out) {
    out.clear();
    const unsigned char* end = s + n;
    while (s < end) out.push_back(fold(decode(s, end)));
}

// The pattern of one statement, decoded and folded once.
struct Pattern {
    char32_t escape = 0;
    bool hasEscape = false;
    std::vector<char32_t> tokens;
    // Every literal folds to ASCII: only then can an ASCII text match.
    bool asciiLiterals = true;
    // The common search shape "%text%" with plain ASCII text: a substring search.
    bool substring = false;
    std::string needle;  // folded
};

void compile(const unsigned char* s, int n, char32_t escape, bool hasEscape, Pattern& out) {
    out.escape = escape;
    out.hasEscape = hasEscape;
    out.tokens.clear();
    const unsigned char* end = s + n;
    while (s < end) {
        char32_t c = decode(s, end);
        if (hasEscape && c == escape) {
            // An escape at the very end escapes nothing and matches itself.
            out.tokens.push_back(s < end ? fold(decode(s, end)) : fold(c));
        } else if (c == '%') {
            if (out.tokens.empty() || out.tokens.back() != kAny) out.tokens.push_back(kAny);
        } else if (c == '_') {
            out.tokens.push_back(kOne);
        } else {
            out.tokens.push_back(fold(c));
        }
    }
    out.asciiLiterals = true;
    bool plain = out.tokens.size() >= 2 && out.tokens.front() == kAny && out.tokens.back() == kAny;
    out.needle.clear();
    for (size_t i = 0; i < out.tokens.size(); ++i) {
        const char32_t t = out.tokens[i];
        if (t == kAny || t == kOne) {
            if (i != 0 && i + 1 != out.tokens.size()) plain = false;
            continue;
        }
        if (t >= 0x80) out.asciiLiterals = false;
        out.needle.push_back(char(t));
    }
    out.substring = plain && out.asciiLiterals;
}

// Where an ASCII needle (already folded, not empty) first occurs in [s, end),
// ASCII letter case aside; null for nowhere. Bytes of other characters never
// equal an ASCII letter, so a hit is a real hit. Its first byte is looked for
// 16 bytes at a time.
const char* findFolded(const char* s, const char* end, const std::string& needle) {
    const char first = needle[0];
    // A lower-case letter also equals its capital with the 0x20 bit set.
    const char bit = first >= 'a' && first <= 'z' ? 0x20 : 0;
    auto rest = [&](const char* at) {
        if (std::size_t(end - at) < needle.size()) return false;
        for (std::size_t k = 1; k < needle.size(); ++k)
            if (char(foldAscii(static_cast<unsigned char>(at[k]))) != needle[k]) return false;
        return true;
    };
    const char* p = s;
#ifdef __SSE2__
    const __m128i want = _mm_set1_epi8(first), fold = _mm_set1_epi8(bit);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fold);
        for (unsigned m = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, want))); m; m &= m - 1)
            if (rest(p + __builtin_ctz(m))) return p + __builtin_ctz(m);
    }
#endif
    for (; p < end; ++p)
        if (char(*p | bit) == first && rest(p)) return p;
    return nullptr;
}

bool findAscii(const std::string& needle, const unsigned char* s, size_t n) {
    const auto* text = reinterpret_cast<const char*>(s);
    return needle.empty() || findFolded(text, text + n, needle);
}

// Greedy matching with one backtrack point (the last "%"); linear in
// practice and never worse than pattern length times text length.
template <class Text, class Fold>
bool match(const std::vector<char32_t>& pat, const Text* text, size_t n, Fold foldText) {
    size_t p = 0, t = 0;
    size_t starP = SIZE_MAX, starT = 0;
    const size_t np = pat.size();
    while (t < n) {
        if (p < np) {
            const char32_t tok = pat[p];
            if (tok == kAny) {
                starP = ++p;
                starT = t;
                continue;
            }
            if (tok == kOne || tok == foldText(text[t])) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP == SIZE_MAX) return false;
        p = starP;
        t = ++starT;
    }
    while (p < np && pat[p] == kAny) ++p;
    return p == np;
}

// What LIKE says of one text, given the pattern compiled once.
bool matches(const Pattern& pat, const unsigned char* ts, size_t tn) {
    if (pat.substring && findAscii(pat.needle, ts, tn)) return true;
    // An ASCII text cannot hold a letter that folds to something else.
    if (isAscii(ts, tn))
        return !pat.substring && pat.asciiLiterals &&
               match(pat.tokens, ts, tn, [](unsigned char c) { return foldAscii(c); });
    thread_local std::vector<char32_t> folded;
    foldUtf8(ts, int(tn), folded);
    return match(pat.tokens, folded.data(), folded.size(), [](char32_t c) { return c; });
}

void freePattern(void* p) {
    delete static_cast<Pattern*>(p);
}

// The text of an argument without the copy that sqlite3_value_text makes to
// terminate it. Valid only for a UTF-8 database, where blob bytes are the text.
const unsigned char* utf8(sqlite3_value* v, bool utf8Database, size_t& n) {
    static const unsigned char empty[] = "";
    const unsigned char* s =
        utf8Database ? static_cast<const unsigned char*>(sqlite3_value_blob(v)) : sqlite3_value_text(v);
    n = size_t(sqlite3_value_bytes(v));
    return s ? s : empty;
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // NULL in, NULL out, as the engine's own LIKE.
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return;
    const bool utf8Database = sqlite3_user_data(ctx) != nullptr;
    char32_t escape = 0;
    bool hasEscape = false;
    if (argc == 3) {
        size_t en = 0;
        const unsigned char* e = utf8(argv[2], utf8Database, en);
        const unsigned char* q = e;
        escape = en > 0 ? decode(q, e + en) : 0;
        if (en == 0 || q != e + en) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        hasEscape = true;
    }

    auto* pat = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    Pattern local;
    if (!pat || pat->escape != escape || pat->hasEscape != hasEscape) {
        // like(pattern, text): "text LIKE pattern" passes the pattern first.
        size_t pn = 0;
        const unsigned char* ps = utf8(argv[0], utf8Database, pn);
        pat = new Pattern;
        compile(ps, int(pn), escape, hasEscape, *pat);
        // The engine keeps it while the pattern argument stays the same; it
        // frees it at once (and pat with it) when it cannot keep it.
        sqlite3_set_auxdata(ctx, 0, pat, freePattern);
        pat = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
        if (!pat) {
            compile(ps, int(pn), escape, hasEscape, local);
            pat = &local;
        }
    }

    size_t tn = 0;
    const unsigned char* ts = utf8(argv[1], utf8Database, tn);
    const bool hit = matches(*pat, ts, tn);
    sqlite3_result_int(ctx, hit ? 1 : 0);
}

bool isUtf8Database(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    bool utf8 = false;
    if (sqlite3_prepare_v2(db, "PRAGMA encoding", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const char* e = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        utf8 = e && std::strcmp(e, "UTF-8") == 0;
    }
    sqlite3_finalize(st);
    return utf8;
}

// Orders text by its case-folded code points: "björk" and "BJÖRK" compare
// equal, and names differing only in case sort together in every script.
int nocaseCompare(void*, int n1, const void* v1, int n2, const void* v2) {
    const auto* a = static_cast<const unsigned char*>(v1);
    const auto* b = static_cast<const unsigned char*>(v2);
    const unsigned char* ae = a + n1;
    const unsigned char* be = b + n2;
    while (a < ae && b < be) {
        if (!((*a | *b) & 0x80)) {
            const char32_t ca = foldAscii(*a++), cb = foldAscii(*b++);
            if (ca != cb) return ca < cb ? -1 : 1;
            continue;
        }
        const char32_t ca = fold(decode(a, ae)), cb = fold(decode(b, be));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a < ae) return 1;
    if (b < be) return -1;
    return 0;
}

}  // namespace

struct LikePattern::Compiled : Pattern {};

LikePattern::LikePattern(const QByteArray& pattern) : p_(std::make_unique<Compiled>()) {
    compile(reinterpret_cast<const unsigned char*>(pattern.constData()), int(pattern.size()), 0, false, *p_);
}

LikePattern::~LikePattern() = default;

bool LikePattern::Matches(const char* text, size_t n) const {
    return matches(*p_, reinterpret_cast<const unsigned char*>(text), n);
}

bool LikePattern::HasNeedle() const {
    return p_->substring && !p_->needle.empty();
}

const char* LikePattern::FindNeedle(const char* s, const char* end) const {
    return findFolded(s, end, p_->needle);
}

sqlite3* SqliteHandle(const QSqlDatabase& db) {
    if (!db.isOpen()) return nullptr;
    QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3**>(v.data());
}

void RegisterSqlFunctions(QSqlDatabase& db) {
    RegisterSqlFunctions(SqliteHandle(db));
}

void RegisterSqlFunctions(sqlite3* handle) {
    if (!handle) return;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    // Any non-null pointer says "the database stores UTF-8".
    static char utf8Tag;
    void* tag = isUtf8Database(handle) ? &utf8Tag : nullptr;
    sqlite3_create_function_v2(handle, "like", 2, flags, tag, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "like", 3, flags, tag, likeFunction, nullptr, nullptr, nullptr);
    // Replaces the engine's ASCII-only NOCASE for this connection, so the
    // columns declared COLLATE NOCASE sort and compare alike in every script.
    sqlite3_create_collation_v2(handle, "NOCASE", SQLITE_UTF8, nullptr, nocaseCompare, nullptr);
}
