// Improves a plan piece by piece where many lengths come once or a few times
// each, so that whole layouts repeat little and the plan is its bars: the
// emptiest bar (and now and then a bar drawn at random) is taken apart, its
// pieces are exchanged one or two at a time for pieces of other bars (up to
// a thousand drawn at random) wherever a bar ends fuller (the loose pieces
// growing shorter and fewer), and what stays loose is packed anew by best
// fit by decreasing length. A round that packs them into fewer bars than it
// took apart saves a bar; one that needs more is undone. Each bar only ever
// ends fuller, so the free length gathers in the loose pieces, until they
// fit into the others.
#pragma once

#include "engine/LinearNesting/SimplexMethodSolver.h"

#include <cstdint>
#include <functional>
#include <vector>

class PieceExchange {
public:
    // Called with the work done since the last call (in about nanoseconds);
    // true stops the improvement.
    using Stop = std::function<bool(double work)>;

    // The plans it takes: no more pieces than this in all. Its bars are
    // layouts of their own, where a plan of more pieces keeps its layouts
    // repeated (the fewer layouts, the fewer maps to draw and set up).
    static constexpr int64_t MostPieces = 20'000;
    static int64_t PiecesOf(const MapLayout& plan);

    // `lengths` of the details (one piece each, cut gap included), what a
    // bar holds and the plan to improve (whose pieces are at most MostPieces).
    PieceExchange(const std::vector<double>& lengths, double capacity, const MapLayout& plan);

    // Rounds until the plan has `target` bars, `stop` says so or so many
    // rounds in a row saved no bar.
    void Improve(double target, uint32_t seed, const Stop& stop);

    size_t Bars() const { return m_bars.size(); }
    MapLayout Plan() const;

private:
    struct Bar {
        std::vector<uint32_t> pieces; // details, one entry a piece
        double load = 0.0;
    };

    // The best exchange of one or two of bar `b`'s pieces (or none) for one
    // or two loose ones, made; false when none leaves it fuller.
    bool Exchange(uint32_t b);
    void SortLoose();
    // The loose pieces by best fit by decreasing length into new bars.
    std::vector<Bar> PackLoose() const;
    double Length(uint32_t piece) const { return m_lengths[piece]; }

    const std::vector<double>& m_lengths;
    const double m_capacity;
    std::vector<Bar> m_bars;
    std::vector<uint32_t> m_loose; // by length
    // Sums of two loose pieces, with their places in m_loose, by sum.
    struct Pair {
        double sum;
        uint32_t first, second;
    };
    std::vector<Pair> m_pairs;
    // The round, the last round that changed each bar, and the bars as they
    // were before this round changed them.
    size_t m_round = 0;
    std::vector<size_t> m_stamp;
    std::vector<std::pair<uint32_t, Bar>> m_before;
    double m_work = 0.0;
};
