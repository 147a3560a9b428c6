#include "PriceBoard.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace sim {

PriceBoard::PriceBoard()
    : quotes_{{"USDJPY", 150.000}, {"EURJPY", 162.750}, {"GBPJPY", 190.500},
              {"EURUSD", 1.08500}, {"GBPUSD", 1.27000}, {"EURGBP", 0.85430},
              {"AUDJPY", 98.250},  {"NZDJPY", 90.100},  {"AUDUSD", 0.65500}}
{
}

PriceBoard::Quote* PriceBoard::Find(const std::string& pair)
{
    for (Quote& quote : quotes_)
        if (quote.pair == pair)
            return &quote;
    return nullptr;
}

const PriceBoard::Quote* PriceBoard::Find(const std::string& pair) const
{
    for (const Quote& quote : quotes_)
        if (quote.pair == pair)
            return &quote;
    return nullptr;
}

void PriceBoard::Set(const std::string& pair, double rate)
{
    if (Quote* quote = Find(pair))
        quote->rate = RoundRate(pair, rate);
    else
        quotes_.push_back({pair, RoundRate(pair, rate)});
}

std::optional<double> PriceBoard::Get(const std::string& pair) const
{
    if (const Quote* quote = Find(pair))
        return quote->rate;
    return std::nullopt;
}

std::vector<std::string> PriceBoard::Pairs() const
{
    std::vector<std::string> pairs;
    for (const Quote& quote : quotes_)
        pairs.push_back(quote.pair);
    return pairs;
}

void PriceBoard::Step(const std::string& pair)
{
    Quote* quote = Find(pair);
    if (!moving_ || !quote)
        return;
    // Up to five pips either way.
    std::uniform_int_distribution<int> pips(-5, 5);
    double pip = Decimals(pair) == 3 ? 0.01 : 0.0001;
    quote->rate = RoundRate(pair, quote->rate + pips(random_) * pip);
}

std::optional<double> PriceBoard::Convert(double amount, const std::string& from, const std::string& to) const
{
    if (from == to)
        return amount;
    if (auto direct = Get(from + to))
        return amount * *direct;
    if (auto inverse = Get(to + from); inverse && *inverse != 0)
        return amount / *inverse;
    return std::nullopt;
}

int PriceBoard::Decimals(const std::string& pair)
{
    return pair.size() == 6 && pair.substr(3) == "JPY" ? 3 : 5;
}

double PriceBoard::RoundRate(const std::string& pair, double rate)
{
    double scale = std::pow(10.0, Decimals(pair));
    return std::round(rate * scale) / scale;
}

std::string PriceBoard::FormatRate(const std::string& pair, double rate)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", Decimals(pair), rate);
    return buffer;
}

std::optional<std::string> PriceBoard::NormalizePair(const std::string& text)
{
    if (text.size() != 6)
        return std::nullopt;
    std::string pair;
    for (char c : text) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return std::nullopt;
        pair += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return pair;
}

} // namespace sim
