#include "TTopListBoard.h"

#include <algorithm>

namespace {

constexpr double ScoreStep = 0.8;
constexpr double NewcomerChance = 0.03;
constexpr double SeparatorToggleChance = 0.01;
constexpr double ScoreLimit = 99.9;

} // namespace

TTopListBoard::TTopListBoard(TFeedRandom &random, const TMarketUniverse &market)
    : random_(random), market_(market)
{
    const int size = std::min(Size, market_.Count());
    while (members_.size() < size)
        members_.append({NewcomerStock(), random_.Between(-60.0, 90.0)});
    separatorShown_ = random_.Chance(0.5);
}

bool TTopListBoard::Lists(int stock) const
{
    return std::any_of(members_.begin(), members_.end(),
                       [stock](const TMember &member) { return member.Stock == stock; });
}

int TTopListBoard::NewcomerStock() const
{
    // A scan lists the names that trade; the market's active names come first. Bounded,
    // so a small universe that is all listed still returns.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int stock = market_.PickActive();
        if (!Lists(stock))
            return stock;
    }
    for (int stock = 0; stock < market_.Count(); ++stock)
        if (!Lists(stock))
            return stock;
    return 0;
}

void TTopListBoard::Drift()
{
    for (TMember &member : members_)
        member.Score =
            std::clamp(member.Score + ScoreStep * random_.Gaussian(), -ScoreLimit, ScoreLimit);
    if (members_.size() < market_.Count() && random_.Chance(NewcomerChance)) {
        auto weakest =
            std::min_element(members_.begin(), members_.end(),
                             [](const TMember &a, const TMember &b) { return a.Score < b.Score; });
        *weakest = {NewcomerStock(), random_.Between(-60.0, 90.0)};
    }
    if (random_.Chance(SeparatorToggleChance))
        separatorShown_ = !separatorShown_;
}

QVector<int> TTopListBoard::Rows() const
{
    QVector<TMember> ranked = members_;
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const TMember &a, const TMember &b) { return a.Score > b.Score; });
    QVector<int> rows;
    rows.reserve(ranked.size() + 1);
    for (int i = 0; i < ranked.size(); ++i) {
        if (separatorShown_ && i > 0 && ranked[i - 1].Score >= 0 && ranked[i].Score < 0)
            rows.append(Separator);
        rows.append(ranked[i].Stock);
    }
    return rows;
}

double TTopListBoard::Strength(int stock) const
{
    for (const TMember &member : members_)
        if (member.Stock == stock)
            return member.Score;
    return 0;
}
