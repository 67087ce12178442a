#pragma once

#include <cstdint>

// The score of a position for the side that evaluates it, larger is better: six terms and their
// weights, written once for the live board's evaluator and for the search's copy of the board.
struct ScoreTerms {
    int32_t material = 0;  // the side's gold and pieces' worth, less every other side's
    int32_t castles = 0;   // per castle: + for the side's own, - for another side's
    int32_t threats = 0;   // what the pieces in sight could attack after one move: + the side's, - the others'
    int32_t attacks = 0;   // what the side's moved pieces can still attack now
    int32_t vision = 0;    // the tiles the side sees
    int32_t approach = 0;  // minus the path costs of the side's pieces to their nearest enemy in sight

    // NOTE: computed in 32-bit floats and summed left to right: the weights and the order are
    // the opponents' judgement, and every recorded plan depends on them to the last bit.
    float Total() const
    {
        float score = 10.0f * static_cast<float>(material);
        score += static_cast<float>(castles);
        score += static_cast<float>(threats);
        score += 3.0f * static_cast<float>(attacks);
        score += static_cast<float>(vision);
        score += 3.0f * static_cast<float>(approach);
        return score;
    }

    // What one attack is worth: the target's value, three times when it kills (every attack on a
    // castle, whose health is 0).
    static constexpr int32_t AttackWorth(int32_t damage, int32_t targetHealth, int32_t targetValue)
    {
        return (damage >= targetHealth ? 3 : 1) * targetValue;
    }
    // What a piece adds to the material: its value to the side that evaluates when it is its own,
    // minus it for another side's, nothing for a neutral one.
    static constexpr int32_t MaterialOf(bool own, bool ofASide, int32_t value)
    {
        return own ? value : (ofASide ? -value : 0);
    }
    // What a castle adds to the castles term; a neutral one nothing.
    static constexpr int32_t CastleOf(bool own, bool ofASide)
    {
        return own ? 100 : (ofASide ? -100 : 0);
    }
};
