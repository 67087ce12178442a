#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ai/ThreatMemo.h"

class BoardQueries;
class TeamController;
class TileMap;
class Unit;

// The pieces each piece could attack after one move, asked for at every position a search
// scores. A piece's set depends only on it and on the pieces near it, so it is remembered
// by a key of that neighbourhood, kept up to date as pieces move.
// NOTE: a set depends on the tiles too, which never change while a search runs: a search
// calls Forget before it starts.
class ThreatSets {
public:
    // A threat set as the tiles of its pieces, each as its offset from the threatening piece:
    // the same neighbourhood threatens the same tiles whichever pieces make it up.
    using Tiles = ThreatMemo::Tiles;

    // Answers from `queries`, which the caller refreshes whenever the pieces move.
    ThreatSets(const TileMap& map, BoardQueries& queries);

    // Drops everything remembered, in constant time for the remembered sets; a search calls it
    // as it starts.
    void Forget();
    // Brings every piece's key to the board as it stands.
    void Update();
    // The threat set of the piece at `index` of the board's pieces, by the keys of the last Update.
    const Tiles& At(size_t index)
    {
        // With no piece of another owner near, nothing is in reach: most pieces, most of the time.
        return rivalsNear[index] == 0 ? noTiles : Lookup(index);
    }
    // The piece `threat` attacks on a tile of its threat set: the first one standing there.
    Unit* VictimAt(const Unit& threat, uint32_t offset) const;
    // The same for the piece at `index` of the board's pieces, from its tile as of the last refresh.
    Unit* VictimAt(size_t index, uint32_t offset) const;
    // The distinct pieces `unit` could attack after one move, in creation order, from the keys
    // brought up to date first (the caller refreshes the queries before).
    const std::vector<Unit*>& Of(const Unit& unit);

private:
    // What a threat set depends on, per piece: the piece, and every piece near enough to
    // block its way or to be attacked after its move (see Near).
    struct PieceRecord {
        const Unit* unit = nullptr;
        const TeamController* team = nullptr;
        uint64_t serial = 0;
        int32_t x = 0;
        int32_t y = 0;
        int32_t speed = 0;
        int32_t range = 0;
        bool castle = false;
        bool operator==(const PieceRecord&) const = default;
        // Whether `other` can change this piece's threat set: every step costs at least 1, so a
        // move never leaves the diamond of the speed, where any piece can block the way; an
        // attack after it reaches pieces of other owners up to the range further (castles 1).
        bool Near(const PieceRecord& other) const;
        // What the piece adds to the key of each piece whose neighbourhood holds it: where it
        // stands, its owner and whether it is a castle, but not which piece it is.
        uint64_t Mark() const;
        // The key of the piece's threat set, given the sum of the marks in its neighbourhood.
        uint64_t Key(uint64_t neighbours) const;
    };
    // What Near asks of every piece, one array per field (see Count).
    struct Reaches {
        std::vector<int32_t> x;
        std::vector<int32_t> y;
        std::vector<int32_t> speed;
        std::vector<int32_t> range;   // at least 0
        std::vector<int32_t> owner;   // see OwnerNumber
        std::vector<int32_t> castle;  // -1 for a castle, else 0
        void Resize(size_t count);
        void Set(size_t index, const PieceRecord& piece, int32_t ownerNumber);
    };

    // At for a piece with rivals near: its set by its key.
    const Tiles& Lookup(size_t index);
    PieceRecord RecordOf(size_t index) const;
    Unit* VictimFrom(int32_t fromX, int32_t fromY, uint32_t offset) const;
    // A small number for each owner, the same as long as nothing is forgotten.
    int32_t OwnerNumber(const TeamController* team);
    // Sums the marks of the neighbourhood of the piece at `index`, and counts its rivals.
    void Neighbours(size_t index);
    struct Change;
    // Takes a changed piece as it was out of every neighbourhood it was in, and adds it as it
    // is now to every one it is in.
    void Count(const Change& change);
    void Look(size_t index, size_t units);
    void Compute(const Unit& unit, Tiles& out);
    // The same from the list of reachable tiles, for the moves the grid of reach cannot hold.
    void ComputeFromList(const Unit& unit, Tiles& out);

    const TileMap& map;
    BoardQueries& queries;
    // Per piece in child order, as of the last Update: its record and mark, the sum of the
    // marks in its neighbourhood and its rivals there, and its recent threat sets.
    std::vector<PieceRecord> pieces;
    std::vector<uint64_t> marks;
    std::vector<uint64_t> neighbourSums;
    std::vector<int32_t> rivalsNear;  // the pieces of other owners in the neighbourhood
    Reaches reaches;
    std::vector<const TeamController*> owners;
    std::vector<ThreatMemo::Recent> recent;
    struct Change {
        size_t index = 0;
        PieceRecord before;
        PieceRecord now;
        uint64_t markBefore = 0;
        uint64_t markNow = 0;
        int32_t ownerBefore = 0;
        int32_t ownerNow = 0;
    };
    std::vector<Change> changes;  // found by the last Update
    uint32_t updatedAt = 0;       // the queries' Refresh that the last Update read
    size_t logRead = 0;           // how much of the queries' change log it read
    Tiles askedTiles;
    std::vector<Unit*> askedPieces;
    const Tiles noTiles;
    ThreatMemo memo;
};
