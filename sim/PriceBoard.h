#pragma once
// The simulated market: one rate per currency pair ("EURUSD"), moved a
// little by every order in the pair so that positions gain and lose value.

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace sim {

class PriceBoard {
public:
    PriceBoard();

    // Unknown pairs are added at the end of the board.
    void Set(const std::string& pair, double rate);
    std::optional<double> Get(const std::string& pair) const;
    // Every pair on the board, in board order.
    std::vector<std::string> Pairs() const;

    // A board that does not move keeps rates exactly as set (tests).
    void SetMoving(bool moving) { moving_ = moving; }
    bool Moving() const { return moving_; }
    // One random step of the pair's rate (a few pips), if the board moves.
    void Step(const std::string& pair);

    // An amount in currency `from` expressed in currency `to`, through the
    // pair that joins them directly; nothing when no pair does.
    std::optional<double> Convert(double amount, const std::string& from, const std::string& to) const;

    // Quotes in yen carry 3 decimals, all others 5.
    static int Decimals(const std::string& pair);
    static double RoundRate(const std::string& pair, double rate);
    static std::string FormatRate(const std::string& pair, double rate);
    // Six capital letters; lower case input is accepted and raised.
    static std::optional<std::string> NormalizePair(const std::string& text);

private:
    struct Quote {
        std::string pair;
        double rate = 0;
    };
    Quote* Find(const std::string& pair);
    const Quote* Find(const std::string& pair) const;

    std::vector<Quote> quotes_;
    bool moving_ = true;
    // Fixed seed: a run of the simulator is repeatable.
    std::mt19937 random_{20240501u};
};

} // namespace sim
