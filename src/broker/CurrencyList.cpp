#include "broker/Reconciliation.h"

#include "base/AkUnit.h"

#include <algorithm>

namespace {

std::string WithoutSlash(const std::string& pair) { return ReplaceAll(pair, "/", ""); }

} // namespace

void TCurrencyList::Add(const std::string& pair) {
    if (!Contains(pair)) Pairs.push_back(WithoutSlash(pair));
}

bool TCurrencyList::Contains(const std::string& pair) const {
    const std::string plain = WithoutSlash(pair);
    return std::any_of(Pairs.begin(), Pairs.end(),
                       [&](const std::string& entry) { return EqualsNoCase(entry, plain); });
}
