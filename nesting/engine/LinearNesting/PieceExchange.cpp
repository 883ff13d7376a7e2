#include "engine/LinearNesting/PieceExchange.h"

#include <algorithm>
#include <functional>
#include <random>

namespace {

// A bar takes a loose piece only when it grows by more than this (lengths
// are given to a tenth of a millimetre or so).
constexpr double Gain = 1e-7;
// Pairs are exchanged only among this many loose pieces and out of bars of
// at most this many pieces; beyond, one piece at a time.
constexpr size_t MostLooseForPairs = 64;
constexpr size_t MostBarForPairs = 40;
// Each round takes apart the emptiest bar and, one round in RandomOneIn,
// a bar drawn at random as well.
constexpr uint32_t RandomOneIn = 2;
// The bars a round visits at most, drawn at random.
constexpr size_t MostVisited = 1000;
// Exchanges one bar makes at most in a round (each leaves it fuller).
constexpr size_t MostExchanges = 16;
// Rounds in a row that save no bar before the improvement gives up.
constexpr size_t StallRounds = 4000;
// The work of one look-up of an exchange, in about nanoseconds.
constexpr double LookupWork = 15.0;

} // namespace

int64_t PieceExchange::PiecesOf(const MapLayout& plan)
{
    double pieces = 0.0;
    for (const auto& [layout, number] : plan)
        for (const int32_t count : layout)
            pieces += static_cast<double>(count) * number;
    return pieces > static_cast<double>(MostPieces) ? MostPieces + 1 : static_cast<int64_t>(pieces);
}

PieceExchange::PieceExchange(const std::vector<double>& lengths, double capacity, const MapLayout& plan)
    : m_lengths(lengths), m_capacity(capacity)
{
    for (const auto& [layout, number] : plan) {
        Bar bar;
        for (size_t j = 0; j < layout.size(); ++j)
            for (int32_t c = 0; c < layout[j]; ++c) {
                bar.pieces.push_back(static_cast<uint32_t>(j));
                bar.load += lengths[j];
            }
        for (double b = 0.0; b < number; b += 1.0)
            m_bars.push_back(bar);
    }
}

MapLayout PieceExchange::Plan() const
{
    MapLayout plan;
    for (const Bar& bar : m_bars) {
        Layout layout(m_lengths.size(), 0);
        for (const uint32_t piece : bar.pieces)
            ++layout[piece];
        plan[layout] += 1.0;
    }
    return plan;
}

void PieceExchange::SortLoose()
{
    std::stable_sort(m_loose.begin(), m_loose.end(),
                     [&](uint32_t a, uint32_t b) { return Length(a) < Length(b); });
    m_pairs.clear();
    if (m_loose.size() > MostLooseForPairs)
        return;
    for (uint32_t a = 0; a < m_loose.size(); ++a)
        for (uint32_t b = a + 1; b < m_loose.size(); ++b)
            m_pairs.push_back({Length(m_loose[a]) + Length(m_loose[b]), a, b});
    std::stable_sort(m_pairs.begin(), m_pairs.end(), [](const Pair& x, const Pair& y) { return x.sum < y.sum; });
    m_work += LookupWork * static_cast<double>(m_pairs.size());
}

bool PieceExchange::Exchange(uint32_t b)
{
    Bar& bar = m_bars[b];
    const double room = m_capacity - bar.load;
    // The best so far: the growth, the bar's pieces given (places in the
    // bar, or -1) and the loose pieces taken (places in m_loose, or -1).
    double best = Gain;
    int out[2] = {-1, -1};
    int in[2] = {-1, -1};
    auto consider = [&](double given, int o1, int o2) {
        // The longest loose piece, and pair, that fits in place of `given`.
        const double most = given + room;
        const auto single = std::upper_bound(m_loose.begin(), m_loose.end(), most,
                                             [&](double v, uint32_t piece) { return v < Length(piece); });
        if (single != m_loose.begin()) {
            const double growth = Length(*(single - 1)) - given;
            if (growth > best) {
                best = growth;
                out[0] = o1, out[1] = o2;
                in[0] = static_cast<int>(single - 1 - m_loose.begin()), in[1] = -1;
            }
        }
        const auto pair = std::upper_bound(m_pairs.begin(), m_pairs.end(), most,
                                           [](double v, const Pair& p) { return v < p.sum; });
        if (pair != m_pairs.begin()) {
            const double growth = (pair - 1)->sum - given;
            if (growth > best) {
                best = growth;
                out[0] = o1, out[1] = o2;
                in[0] = static_cast<int>((pair - 1)->first), in[1] = static_cast<int>((pair - 1)->second);
            }
        }
    };
    const size_t size = bar.pieces.size();
    consider(0.0, -1, -1);
    for (size_t a = 0; a < size; ++a) {
        consider(Length(bar.pieces[a]), static_cast<int>(a), -1);
        if (size <= MostBarForPairs)
            for (size_t b = a + 1; b < size; ++b)
                consider(Length(bar.pieces[a]) + Length(bar.pieces[b]), static_cast<int>(a), static_cast<int>(b));
    }
    m_work += LookupWork * static_cast<double>(1 + size + (size <= MostBarForPairs ? size * size / 2 : 0));
    if (in[0] < 0)
        return false;
    if (m_stamp[b] != m_round) {
        m_stamp[b] = m_round;
        m_before.emplace_back(b, bar);
    }
    std::vector<uint32_t> given;
    for (int k = 1; k >= 0; --k)
        if (out[k] >= 0) {
            given.push_back(bar.pieces[static_cast<size_t>(out[k])]);
            bar.pieces.erase(bar.pieces.begin() + out[k]);
        }
    for (int k = 1; k >= 0; --k)
        if (in[k] >= 0) {
            bar.pieces.push_back(m_loose[static_cast<size_t>(in[k])]);
            m_loose.erase(m_loose.begin() + in[k]);
        }
    bar.load = 0.0;
    for (const uint32_t piece : bar.pieces)
        bar.load += Length(piece);
    m_loose.insert(m_loose.end(), given.begin(), given.end());
    SortLoose();
    return true;
}

std::vector<PieceExchange::Bar> PieceExchange::PackLoose() const
{
    std::vector<uint32_t> pieces = m_loose;
    std::stable_sort(pieces.begin(), pieces.end(), [&](uint32_t a, uint32_t b) { return Length(a) > Length(b); });
    std::vector<Bar> bars;
    for (const uint32_t piece : pieces) {
        Bar* fullest = nullptr;
        for (Bar& bar : bars)
            if (bar.load + Length(piece) <= m_capacity && (!fullest || bar.load > fullest->load))
                fullest = &bar;
        if (!fullest)
            fullest = &bars.emplace_back();
        fullest->pieces.push_back(piece);
        fullest->load += Length(piece);
    }
    return bars;
}

void PieceExchange::Improve(double target, uint32_t seed, const Stop& stop)
{
    std::mt19937 generator(seed);
    std::vector<uint32_t> order;
    m_stamp.assign(m_bars.size(), 0);
    for (size_t since = 0; static_cast<double>(m_bars.size()) > target + 0.5 && since < StallRounds; ++since) {
        ++m_round;
        m_before.clear();
        if (stop(m_work))
            break;
        m_work = 0.0;
        // The bars taken apart: the emptiest, and one at random now and then;
        // the last bar takes the place of each.
        std::vector<size_t> taken = {static_cast<size_t>(
            std::min_element(m_bars.begin(), m_bars.end(), [](const Bar& a, const Bar& b) { return a.load < b.load; }) -
            m_bars.begin())};
        if (m_bars.size() > 2 && generator() % RandomOneIn == 0) {
            const size_t other = std::uniform_int_distribution<size_t>(0, m_bars.size() - 2)(generator);
            taken.push_back(other >= taken[0] ? other + 1 : other);
        }
        std::sort(taken.begin(), taken.end(), std::greater<>());
        std::vector<Bar> apart;
        m_loose.clear();
        for (const size_t b : taken) {
            m_loose.insert(m_loose.end(), m_bars[b].pieces.begin(), m_bars[b].pieces.end());
            apart.push_back(std::move(m_bars[b]));
            if (b + 1 != m_bars.size())
                m_bars[b] = std::move(m_bars.back());
            m_bars.pop_back();
        }
        m_work += LookupWork * static_cast<double>(m_bars.size());
        SortLoose();
        // Bar after bar, drawn at random, takes what exchanges leave it
        // fuller; the bars as they were are kept to undo the round.
        order.resize(m_bars.size());
        for (uint32_t b = 0; b < order.size(); ++b)
            order[b] = b;
        const size_t visit = std::min(order.size(), MostVisited);
        for (size_t k = 0; k < visit && !m_loose.empty(); ++k) {
            std::swap(order[k], order[std::uniform_int_distribution<size_t>(k, order.size() - 1)(generator)]);
            for (size_t made = 0; made < MostExchanges && !m_loose.empty() && Exchange(order[k]); ++made) {
            }
        }
        std::vector<Bar> packed = PackLoose();
        m_work += LookupWork * static_cast<double>(m_loose.size() * (packed.size() + 1));
        if (packed.size() > apart.size()) {
            for (auto& [b, bar] : m_before)
                m_bars[b] = std::move(bar);
            packed = std::move(apart);
        } else if (packed.size() < apart.size()) {
            since = 0;
        }
        for (Bar& bar : packed)
            m_bars.push_back(std::move(bar));
    }
    stop(m_work);
    m_work = 0.0;
}
