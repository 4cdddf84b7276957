#pragma once
// A small JSON reader for the fixture descriptions.

#include "base/Utf8.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace enginetest {

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } K = Kind::Null;
    bool B = false;
    double N = 0;
    std::string Text; // string value, or the number as written
    std::vector<Json> A;
    std::map<std::string, Json> O;

    bool IsNull() const { return K == Kind::Null; }
    const Json& operator[](const std::string& key) const {
        const auto it = O.find(key);
        if (it == O.end()) throw std::runtime_error("no key " + key);
        return it->second;
    }
    const Json& operator[](std::size_t i) const { return A.at(i); }
    bool Has(const std::string& key) const { return O.count(key) != 0; }
    std::size_t Size() const { return A.size(); }
    long long Int() const { return std::stoll(Text); }

    static Json Parse(const std::string& s) {
        std::size_t i = 0;
        Json j = Value(s, i);
        return j;
    }

private:
    static void Ws(const std::string& s, std::size_t& i) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
    }
    static std::string Str(const std::string& s, std::size_t& i) {
        std::string out;
        ++i;
        while (s[i] != '"') {
            if (s[i] == '\\') {
                ++i;
                const char c = s[i++];
                switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    unsigned cp = std::stoul(s.substr(i, 4), nullptr, 16);
                    i += 4;
                    if (cp >= 0xD800 && cp < 0xDC00 && s[i] == '\\' && s[i + 1] == 'u') {
                        const unsigned lo = std::stoul(s.substr(i + 2, 4), nullptr, 16);
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                        i += 6;
                    }
                    base::AppendUtf8(out, cp);
                    break;
                }
                default:
                    out += c;
                }
            } else {
                out += s[i++];
            }
        }
        ++i;
        return out;
    }
    static Json Value(const std::string& s, std::size_t& i) {
        Ws(s, i);
        Json j;
        const char c = s[i];
        if (c == '{') {
            j.K = Kind::Object;
            ++i;
            Ws(s, i);
            if (s[i] == '}') return ++i, j;
            for (;;) {
                Ws(s, i);
                std::string key = Str(s, i);
                Ws(s, i);
                ++i; // ':'
                j.O[key] = Value(s, i);
                Ws(s, i);
                if (s[i++] == '}') return j;
            }
        }
        if (c == '[') {
            j.K = Kind::Array;
            ++i;
            Ws(s, i);
            if (s[i] == ']') return ++i, j;
            for (;;) {
                j.A.push_back(Value(s, i));
                Ws(s, i);
                if (s[i++] == ']') return j;
            }
        }
        if (c == '"') {
            j.K = Kind::String;
            j.Text = Str(s, i);
            return j;
        }
        if (s.compare(i, 4, "null") == 0) return i += 4, j;
        if (s.compare(i, 4, "true") == 0) {
            j.K = Kind::Bool;
            j.B = true;
            return i += 4, j;
        }
        if (s.compare(i, 5, "false") == 0) {
            j.K = Kind::Bool;
            return i += 5, j;
        }
        j.K = Kind::Number;
        const std::size_t start = i;
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '-' ||
                                s[i] == '+' || s[i] == '.' || s[i] == 'e' || s[i] == 'E'))
            ++i;
        j.Text = s.substr(start, i - start);
        j.N = std::stod(j.Text);
        return j;
    }
};

} // namespace enginetest
