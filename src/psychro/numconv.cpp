#include "numconv.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace psychro {

namespace {

// strtod in the "C" locale: "." is the decimal point whatever the user's
// locale says, because the sheet writes its numbers that way.
double parseC(const std::string& s) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(s.c_str(), nullptr, cLocale);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Longest prefix of s of the form [sign] digits [. digits] [exponent];
// returns its length (0 when no mantissa digit is present).
size_t numberPrefix(const std::string& s, bool allowDExponent) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() &&
        (s[i] == 'E' || s[i] == 'e' || (allowDExponent && (s[i] == 'D' || s[i] == 'd')))) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            i = j;
    }
    return i;
}

struct Pattern {
    int minIntDigits = 0;
    bool grouping = false;
    int decimals = 0;
    int minDecimals = 0;
};

Pattern parsePattern(const QString& pattern) {
    Pattern p;
    const qsizetype dot = pattern.indexOf(u'.');
    const QString intPart = dot < 0 ? pattern : pattern.left(dot);
    const QString fracPart = dot < 0 ? QString() : pattern.mid(dot + 1);
    p.minIntDigits = int(intPart.count(u'0'));
    p.grouping = intPart.contains(u',');
    for (QChar c : fracPart) {
        if (c == u'0') {
            ++p.decimals;
            ++p.minDecimals;
        } else if (c == u'#') {
            ++p.decimals;
        }
    }
    return p;
}

// Exact decimal expansion of |x| cut (not rounded) after `decimals` + 1
// fractional digits, so the digit that decides the rounding is exact.
std::string exactDigits(double a, int decimals) {
    // glibc prints the exact binary value; 25 extra digits settle the cut
    // digit unless the tail is all nines or all zeros, where the full
    // expansion (at most 1074 fractional digits) is printed instead.
    // At most 309 integer digits, the point and 1100 decimals.
    auto print = [a](int prec) {
        char buf[1536];
        const int n = std::snprintf(buf, sizeof buf, "%.*f", prec, a);
        return std::string(buf, size_t(n < 0 ? 0 : std::min<int>(n, int(sizeof buf) - 1)));
    };
    const int extra = 25;
    std::string s = print(decimals + 1 + extra);
    const std::string tail = s.substr(s.size() - extra);
    if (tail.find_first_not_of('9') == std::string::npos ||
        tail.find_first_not_of('0') == std::string::npos)
        s = print(1100);
    const size_t dot = s.find('.');
    return s.substr(0, dot + 1 + size_t(decimals) + 1);
}

// |x| rounded half away from zero to `decimals` places, as "III.FFF" (no
// point without decimals). The exact binary value decides a half: x is
// m 2^-k, so x 10^d is the integer (m 10^d) >> k plus a remainder whose
// top bit is the half, all inside 128 bits for the values a sheet shows;
// anything else goes through the exact decimal expansion.
__extension__ typedef unsigned __int128 Wide; // GCC's and Clang's, on every 64-bit target

std::string roundedDigits(double a, int decimals) {
    int exponent = 0;
    const double mantissa = std::frexp(a, &exponent); // a = mantissa 2^exponent
    const int k = 53 - exponent;                      // a = m 2^-k, m < 2^53
    if (a != 0 && decimals <= 20 && k > 0 && k <= 126) {
        Wide scaled = static_cast<Wide>(std::ldexp(mantissa, 53));
        for (int i = 0; i < decimals; ++i)
            scaled *= 10;
        Wide n = scaled >> k;
        if ((scaled >> (k - 1)) & 1)
            ++n;
        std::string digits;
        do {
            digits.insert(digits.begin(), char('0' + int(n % 10)));
            n /= 10;
        } while (n > 0);
        while (int(digits.size()) <= decimals)
            digits.insert(digits.begin(), '0');
        if (decimals > 0)
            digits.insert(digits.end() - decimals, '.');
        return digits;
    }
    std::string digits = exactDigits(a, decimals);
    // digits: "III.FFF" + one more digit that decides the rounding.
    const bool roundUp = digits.back() >= '5';
    digits.pop_back();
    if (decimals == 0)
        digits.pop_back(); // the "."
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[size_t(i)] == '.')
                continue;
            if (digits[size_t(i)] == '9') {
                digits[size_t(i)] = '0';
            } else {
                ++digits[size_t(i)];
                break;
            }
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
    }
    return digits;
}

} // namespace

double LeadingNumber(const QString& text) {
    std::string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n')
            continue;
        // Anything outside ASCII ends the number like any other letter.
        s.push_back(u < 128 ? char(u) : '\x01');
    }
    const size_t n = numberPrefix(s, true);
    if (n == 0)
        return 0.0;
    std::string num = s.substr(0, n);
    for (char& c : num)
        if (c == 'D' || c == 'd')
            c = 'E';
    return parseC(num);
}

double StrictNumber(const QString& text, bool* ok) {
    const QString t = text.trimmed();
    std::string s;
    s.reserve(size_t(t.size()));
    for (QChar c : t) {
        const char16_t u = c.unicode();
        if (u >= 128) {
            *ok = false;
            return 0.0;
        }
        s.push_back(char(u));
    }
    // Thousands groups are accepted only where they belong: between the
    // sign and the decimal point, in threes ("12,345.5").
    size_t intStart = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    size_t intEnd = intStart;
    while (intEnd < s.size() && (isDigit(s[intEnd]) || s[intEnd] == ','))
        ++intEnd;
    const std::string intPart = s.substr(intStart, intEnd - intStart);
    if (intPart.find(',') != std::string::npos) {
        bool good = true;
        size_t groupStart = 0;
        for (size_t group = 0; good; ++group) {
            const size_t comma = intPart.find(',', groupStart);
            const size_t len = (comma == std::string::npos ? intPart.size() : comma) - groupStart;
            good = group == 0 ? (len >= 1 && len <= 3) : len == 3;
            if (comma == std::string::npos)
                break;
            groupStart = comma + 1;
        }
        if (!good) {
            *ok = false;
            return 0.0;
        }
        std::string stripped;
        for (char c : s)
            if (c != ',')
                stripped.push_back(c);
        s = stripped;
    }
    const size_t n = numberPrefix(s, false);
    if (n == 0 || n != s.size()) {
        *ok = false;
        return 0.0;
    }
    const double v = parseC(s);
    if (!std::isfinite(v)) {
        *ok = false;
        return 0.0;
    }
    *ok = true;
    return v;
}

QString NumText(double x) {
    if (!std::isfinite(x))
        return QString();
    if (x == 0.0)
        return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    return QString::fromLatin1(buf).replace(u'e', u'E');
}

QString NumTextSingle(float x) {
    if (!std::isfinite(x))
        return QString();
    if (x == 0.0f)
        return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", double(x));
    return QString::fromLatin1(buf).replace(u'e', u'E');
}

QString FormatNumber(double x, const QString& pattern) {
    if (!std::isfinite(x))
        return QString();
    const Pattern p = parsePattern(pattern);
    const std::string digits = roundedDigits(std::fabs(x), p.decimals);
    const size_t dot = digits.find('.');
    std::string intDigits = dot == std::string::npos ? digits : digits.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : digits.substr(dot + 1);

    const size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? std::string() : intDigits.substr(firstNonZero);
    while (int(intDigits.size()) < p.minIntDigits)
        intDigits.insert(intDigits.begin(), '0');
    if (p.grouping && intDigits.size() > 3) {
        std::string grouped;
        const size_t lead = intDigits.size() % 3;
        for (size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (i + 3 - lead) % 3 == 0)
                grouped.push_back(',');
            grouped.push_back(intDigits[i]);
        }
        intDigits = grouped;
    }
    while (int(frac.size()) > p.minDecimals && !frac.empty() && frac.back() == '0')
        frac.pop_back();

    std::string out;
    if (x < 0)
        out.push_back('-');
    out += intDigits;
    if (!frac.empty())
        out += "." + frac;
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double RoundHalfEven(double x) {
    if (!std::isfinite(x))
        return x;
    return std::nearbyint(x); // the default rounding mode sends halves to even
}

float ToSingle(double x) {
    if (std::isnan(x))
        return float(x);
    if (x > double(FLT_MAX))
        return HUGE_VALF;
    if (x < -double(FLT_MAX))
        return -HUGE_VALF;
    return float(x);
}

} // namespace psychro
