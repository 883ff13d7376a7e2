#include "support/esicup.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace esicup {

namespace {

// [[x, y], ...], the first point repeated at the end or not.
Ring RingOf(const nlohmann::json& points)
{
    Ring ring;
    for (const nlohmann::json& p : points)
        ring.push_back({p.at(0).get<double>(), p.at(1).get<double>()});
    if (ring.size() > 1 && ring.front() == ring.back())
        ring.pop_back();
    return ring;
}

} // namespace

bool Load(const std::filesystem::path& file, Instance& instance, std::string& error)
{
    std::ifstream in(file);
    if (!in) {
        error = "cannot open " + file.string();
        return false;
    }
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.contains("items") || !json["items"].is_array() ||
        (json.contains("strip_height") && !json["strip_height"].is_number())) {
        error = "not an instance: " + file.string();
        return false;
    }
    instance = {};
    instance.name = json.value("name", file.stem().string());
    instance.stripHeight = json.value("strip_height", 0.0);
    instance.millimetres = json.contains("units") && json["units"] == "mm";
    try {
        for (const nlohmann::json& entry : json["items"]) {
            Item item;
            item.id = entry.contains("id") ? entry["id"].dump() : std::to_string(instance.items.size());
            item.demand = entry.value("demand", 1);
            if (entry.contains("allowed_orientations"))
                item.orientations = entry["allowed_orientations"].get<std::vector<double>>();
            // The outline as "data" with its "holes" beside it, or as a
            // "polygon" of an "outer" ring and "inner" ones, given beside
            // the "type" or as its "data".
            const nlohmann::json& shape = entry.at("shape");
            const nlohmann::json& rings =
                shape.contains("data") && shape["data"].is_object() ? shape["data"] : shape;
            item.ring = RingOf(rings.contains("outer") ? rings["outer"] : rings.at("data"));
            for (const char* key : {"holes", "inner"})
                if (rings.contains(key))
                    for (const nlohmann::json& hole : rings[key])
                        item.holes.push_back(RingOf(hole));
            const bool holesValid =
                std::all_of(item.holes.begin(), item.holes.end(), [](const Ring& h) { return h.size() >= 3; });
            if (item.ring.size() < 3 || !holesValid || item.demand < 0) {
                error = "bad item " + item.id + " in " + file.string();
                return false;
            }
            instance.items.push_back(std::move(item));
        }
    } catch (const nlohmann::json::exception& e) {
        error = "bad item in " + file.string() + ": " + e.what();
        return false;
    }
    return true;
}

Ring Turned(const Ring& ring, double degrees, const NPoint& pole)
{
    const double quarters = degrees / 90.0;
    double c = std::cos(degrees * DR);
    double s = std::sin(degrees * DR);
    if (std::fabs(quarters - std::round(quarters)) < 1e-9) {
        static constexpr double kCos[] = {1, 0, -1, 0};
        static constexpr double kSin[] = {0, 1, 0, -1};
        const auto k = static_cast<size_t>(((std::llround(quarters) % 4) + 4) % 4);
        c = kCos[k];
        s = kSin[k];
    }
    Ring turned;
    turned.reserve(ring.size());
    for (const NPoint& p : ring) {
        const NPoint d = p - pole;
        turned.push_back({pole.x + c * d.x - s * d.y, pole.y + s * d.x + c * d.y});
    }
    return turned;
}

} // namespace esicup
