#include "library/SqlFunctions.h"

#include <QChar>
#include <QSqlDriver>
#include <QVariant>
#include <cstring>
#include <sqlite3.h>
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

bool isAscii(const unsigned char* s, int n) {
    for (int i = 0; i < n; ++i)
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

void freePattern(void* p) {
    delete static_cast<Pattern*>(p);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    char32_t escape = 0;
    bool hasEscape = false;
    if (argc == 3) {
        const unsigned char* e = sqlite3_value_text(argv[2]);
        const int en = sqlite3_value_bytes(argv[2]);
        if (!e) return;  // NULL escape: NULL result
        const unsigned char* end = e + en;
        const unsigned char* q = e;
        escape = en > 0 ? decode(q, end) : 0;
        if (en == 0 || q != end) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        hasEscape = true;
    }
    // like(pattern, text): "text LIKE pattern" calls it with the pattern first.
    const unsigned char* ps = sqlite3_value_text(argv[0]);
    const int pn = sqlite3_value_bytes(argv[0]);
    const unsigned char* ts = sqlite3_value_text(argv[1]);
    const int tn = sqlite3_value_bytes(argv[1]);
    if (!ps || !ts) return;  // NULL in, NULL out, as the engine's own LIKE

    auto* pat = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    const bool cached = pat && pat->escape == escape && pat->hasEscape == hasEscape;
    Pattern local;
    if (!cached) {
        pat = new Pattern;
        compile(ps, pn, escape, hasEscape, *pat);
        // The engine keeps it while the pattern argument stays the same; it
        // frees it right away (and pat with it) when it cannot keep it.
        sqlite3_set_auxdata(ctx, 0, pat, freePattern);
        pat = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
        if (!pat) {
            compile(ps, pn, escape, hasEscape, local);
            pat = &local;
        }
    }

    bool hit;
    if (isAscii(ts, tn)) {
        hit = match(pat->tokens, ts, size_t(tn), [](unsigned char c) { return foldAscii(c); });
    } else {
        thread_local std::vector<char32_t> folded;
        foldUtf8(ts, tn, folded);
        hit = match(pat->tokens, folded.data(), folded.size(), [](char32_t c) { return c; });
    }
    sqlite3_result_int(ctx, hit ? 1 : 0);
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

void RegisterSqlFunctions(QSqlDatabase& db) {
    QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return;
    sqlite3* handle = *static_cast<sqlite3**>(v.data());
    if (!handle) return;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    // Replaces the engine's ASCII-only NOCASE for this connection, so the
    // columns declared COLLATE NOCASE sort and compare alike in every script.
    sqlite3_create_collation_v2(handle, "NOCASE", SQLITE_UTF8, nullptr, nocaseCompare, nullptr);
}
