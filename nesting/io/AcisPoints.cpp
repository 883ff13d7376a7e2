#include "io/AcisPoints.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace dxfimport {
namespace {

using Vector = std::array<double, 3>;

// A body's points as its records come, placed at the end by its transform.
class Shape {
public:
    void Point(const Vector& p) { Add(p); }

    // Eight points round an ellipse about `centre` in the plane of `normal`,
    // its major axis `major`, its minor one `ratio` of it.
    void Ellipse(const Vector& centre, const Vector& normal, const Vector& major, double ratio)
    {
        const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        if (!(length > 0.0) || !std::isfinite(ratio))
            return;
        const Vector n{normal[0] / length, normal[1] / length, normal[2] / length};
        const Vector minor{ratio * (n[1] * major[2] - n[2] * major[1]), ratio * (n[2] * major[0] - n[0] * major[2]),
                           ratio * (n[0] * major[1] - n[1] * major[0])};
        for (int k = 0; k < 8; ++k) {
            const double c = std::cos(k * std::numbers::pi / 4), s = std::sin(k * std::numbers::pi / 4);
            Add({centre[0] + major[0] * c + minor[0] * s, centre[1] + major[1] * c + minor[1] * s,
                 centre[2] + major[2] * c + minor[2] * s});
        }
    }

    // The first transform met places the whole body: rows of its matrix,
    // then its shift (points are rows multiplied by it).
    void Transform(const std::vector<double>& values)
    {
        if (!m_transform && values.size() >= 12)
            m_transform = std::vector<double>(values.begin(), values.begin() + 12);
    }

    std::optional<std::vector<AcisPoint>> Placed() const
    {
        if (m_points.empty())
            return std::nullopt;
        std::vector<AcisPoint> out;
        out.reserve(m_points.size());
        for (const Vector& p : m_points) {
            AcisPoint q{p[0], p[1], p[2]};
            if (m_transform) {
                const std::vector<double>& m = *m_transform;
                q = {p[0] * m[0] + p[1] * m[3] + p[2] * m[6] + m[9], p[0] * m[1] + p[1] * m[4] + p[2] * m[7] + m[10],
                     p[0] * m[2] + p[1] * m[5] + p[2] * m[8] + m[11]};
            }
            if (std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z))
                out.push_back(q);
        }
        if (out.empty())
            return std::nullopt;
        return out;
    }

private:
    void Add(const Vector& p)
    {
        if (m_points.size() < kAcisMostPoints)
            m_points.push_back(p);
    }

    std::vector<Vector> m_points;
    std::optional<std::vector<double>> m_transform;
};

std::optional<double> Number(std::string_view token)
{
    if (token.empty() || token.size() > 64)
        return std::nullopt;
    const std::string text(token);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// ACIS text as DXF files code it: each character but a blank taken to
// another, an "A" written with a blank after it.
std::string Decoded(std::string_view coded)
{
    std::string out;
    out.reserve(coded.size());
    for (size_t i = 0; i < coded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(coded[i]);
        if (c == ' ' || c == '\n') {
            out += static_cast<char>(c);
        } else if (c == 0x40) {
            out += '_';
        } else if (c == 0x5F) {
            out += '@';
        } else if (c >= 0x41 && c <= 0x5E) {
            out += static_cast<char>(0x41 + (0x5E - c));
            if (c == 0x5E && i + 1 < coded.size() && coded[i + 1] == ' ')
                ++i;
        } else {
            out += static_cast<char>(c ^ 0x5F);
        }
    }
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The numbers of a record's data after its leading pointers ("$-1") and,
// from version 7.0 on, the history number after the first of them.
std::vector<double> DataNumbers(const std::vector<std::string_view>& tokens, bool history)
{
    size_t i = 1;
    if (i < tokens.size() && tokens[i].front() == '$')
        i += history ? 2 : 1;
    while (i < tokens.size() && tokens[i].front() == '$')
        ++i;
    std::vector<double> numbers;
    for (; i < tokens.size(); ++i) {
        const std::optional<double> v = Number(tokens[i]);
        if (!v)
            break;
        numbers.push_back(*v);
    }
    return numbers;
}

}  // namespace

std::optional<std::vector<AcisPoint>> AcisTextPoints(std::string_view sat)
{
    size_t first = 0;
    while (first < sat.size() && IsSpace(sat[first]))
        ++first;
    // Plain text starts with its version's number.
    const std::string text =
        first < sat.size() && sat[first] >= '0' && sat[first] <= '9' ? std::string(sat) : Decoded(sat);
    // The header: a line of counts (the version first), a line of counted
    // strings, a line of units and tolerances.
    const bool history = std::strtol(text.c_str(), nullptr, 10) >= 700;
    size_t at = 0;
    for (int line = 0; line < 3 && at < text.size(); ++line) {
        const size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    Shape shape;
    std::vector<std::string_view> tokens;
    const std::string_view all(text);
    while (at < all.size()) {
        while (at < all.size() && IsSpace(all[at]))
            ++at;
        if (at >= all.size())
            break;
        size_t end = at;
        while (end < all.size() && !IsSpace(all[end]) && all[end] != '#')
            ++end;
        if (end > at) {
            const std::string_view token = all.substr(at, end - at);
            // A counted string ("@7 unknown") may hold blanks: passed over.
            if (token.size() > 1 && token[0] == '@' && Number(token.substr(1))) {
                const double n = *Number(token.substr(1));
                end = std::min(all.size(), end + 1 + static_cast<size_t>(std::max(0.0, n)));
            } else {
                tokens.push_back(token);
            }
        }
        if (end < all.size() && all[end] == '#') {
            ++end;
            if (!tokens.empty()) {
                const std::string_view name = tokens.front();
                if (name.starts_with("End-of-"))
                    break;
                if (name == "point") {
                    std::vector<double> numbers;
                    for (size_t k = 1; k < tokens.size(); ++k)
                        if (tokens[k].front() != '$')
                            if (const std::optional<double> v = Number(tokens[k]))
                                numbers.push_back(*v);
                    if (numbers.size() >= 3)
                        shape.Point({numbers[numbers.size() - 3], numbers[numbers.size() - 2], numbers.back()});
                } else if (name == "ellipse-curve") {
                    const std::vector<double> n = DataNumbers(tokens, history);
                    if (n.size() >= 10)
                        shape.Ellipse({n[0], n[1], n[2]}, {n[3], n[4], n[5]}, {n[6], n[7], n[8]}, n[9]);
                } else if (name == "transform") {
                    shape.Transform(DataNumbers(tokens, history));
                }
            }
            tokens.clear();
        }
        at = end;
    }
    return shape.Placed();
}

std::optional<std::vector<AcisPoint>> AcisBinaryPoints(std::string_view sab)
{
    static constexpr std::string_view kSignatures[] = {"ACIS BinaryFile", "ASM BinaryFile4"};
    size_t at = 0;
    for (const std::string_view signature : kSignatures)
        if (sab.starts_with(signature))
            at = signature.size() + 16;  // and four numbers of its header
    if (at == 0 || at > sab.size())
        return std::nullopt;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(sab[i]); };
    const auto integer = [&](size_t i) {
        return static_cast<uint32_t>(byte(i)) | static_cast<uint32_t>(byte(i + 1)) << 8 |
               static_cast<uint32_t>(byte(i + 2)) << 16 | static_cast<uint32_t>(byte(i + 3)) << 24;
    };
    const auto real = [&](size_t i) {
        double v = 0.0;
        std::memcpy(&v, sab.data() + i, sizeof v);
        return v;
    };
    Shape shape;
    // The record being read: its name, its vectors and numbers as they come.
    std::string name, prefix;
    std::vector<Vector> locations, directions;
    std::vector<double> reals;
    std::string literal;
    const auto need = [&](size_t n) { return at + n <= sab.size(); };
    while (at < sab.size()) {
        const unsigned char tag = byte(at++);
        switch (tag) {
        case 0x02: at += 1; break;
        case 0x03: at += 2; break;
        case 0x04: case 0x05: case 0x0C: case 0x15: at += 4; break;
        case 0x06: case 0x17:
            if (!need(8))
                return shape.Placed();
            reals.push_back(real(at));
            at += 8;
            break;
        case 0x07: case 0x0D: case 0x0E: {
            if (!need(1))
                return shape.Placed();
            const size_t n = byte(at++);
            if (!need(n))
                return shape.Placed();
            const std::string_view word = sab.substr(at, n);
            at += n;
            if (tag == 0x0E)
                prefix += std::string(word) + "-";
            else if (tag == 0x0D && name.empty())
                name = prefix + std::string(word), prefix.clear();
            break;
        }
        case 0x08:
            if (!need(2))
                return shape.Placed();
            at += 2 + (static_cast<size_t>(byte(at)) | static_cast<size_t>(byte(at + 1)) << 8);
            break;
        case 0x09: case 0x12: {
            if (!need(4))
                return shape.Placed();
            const size_t n = integer(at);
            at += 4;
            if (!need(n))
                return shape.Placed();
            literal = std::string(sab.substr(at, n));
            at += n;
            break;
        }
        case 0x0A: case 0x0B: case 0x0F: case 0x10: break;
        case 0x13: case 0x14:
            if (!need(24))
                return shape.Placed();
            (tag == 0x13 ? locations : directions).push_back({real(at), real(at + 8), real(at + 16)});
            at += 24;
            break;
        case 0x11:
            if (name.starts_with("End-of-"))
                return shape.Placed();
            if (name == "point" && !locations.empty()) {
                shape.Point(locations.front());
            } else if (name == "ellipse-curve" && !locations.empty() && directions.size() >= 2 && !reals.empty()) {
                shape.Ellipse(locations.front(), directions[0], directions[1], reals.front());
            } else if (name == "transform") {
                // Its matrix as text, as in ACIS text; or as numbers.
                std::vector<double> values;
                const std::string_view words(literal);
                for (size_t i = 0; i < words.size() && values.size() < 12;) {
                    while (i < words.size() && words[i] == ' ')
                        ++i;
                    size_t j = i;
                    while (j < words.size() && words[j] != ' ')
                        ++j;
                    if (const std::optional<double> v = Number(words.substr(i, j - i)))
                        values.push_back(*v);
                    i = j;
                }
                shape.Transform(values.size() >= 12 ? values : reals);
            }
            name.clear(), prefix.clear(), literal.clear();
            locations.clear(), directions.clear(), reals.clear();
            break;
        default:
            return shape.Placed();  // a tag no ACIS data has: what was read so far
        }
    }
    return shape.Placed();
}

}  // namespace dxfimport
