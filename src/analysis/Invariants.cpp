// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Invariants.h"

#include <algorithm>
#include <numeric>

namespace orvane {
namespace {

// One row of Farkas's algorithm: what is left of A, the factors of the original rows, and
// which of them are not 0 (one bit each).
struct SRow {
    std::vector<std::int64_t> rest;
    std::vector<std::int64_t> factors;
    std::vector<std::uint64_t> support;
};

bool Contains(const SRow& larger, const SRow& smaller) {
    for (std::size_t w = 0; w < larger.support.size(); ++w) {
        if ((smaller.support[w] & ~larger.support[w]) != 0) {
            return false;
        }
    }
    return true;
}

// a·x + b·y without overflow, divided by the greatest common divisor of the whole row.
bool Combine(const SRow& x, std::int64_t a, const SRow& y, std::int64_t b, SRow& into) {
    const auto mix = [&](const std::vector<std::int64_t>& from,
                         const std::vector<std::int64_t>& with, std::vector<std::int64_t>& to) {
        to.resize(from.size());
        for (std::size_t i = 0; i < from.size(); ++i) {
            std::int64_t left, right;
            if (__builtin_mul_overflow(a, from[i], &left) ||
                __builtin_mul_overflow(b, with[i], &right) ||
                __builtin_add_overflow(left, right, &to[i])) {
                return false;
            }
        }
        return true;
    };
    if (!mix(x.rest, y.rest, into.rest) || !mix(x.factors, y.factors, into.factors)) {
        return false;
    }
    std::int64_t divisor = 0;
    for (const std::int64_t value : into.factors) {
        divisor = std::gcd(divisor, value);
    }
    for (auto* values : {&into.rest, &into.factors}) {
        for (std::int64_t& value : *values) {
            value /= std::max<std::int64_t>(divisor, 1);
        }
    }
    into.support.resize(x.support.size());
    for (std::size_t w = 0; w < x.support.size(); ++w) {
        into.support[w] = x.support[w] | y.support[w];
    }
    return true;
}

// Drops every row whose support strictly holds that of another, and repeated rows.
void KeepMinimal(std::vector<SRow>& rows) {
    std::vector<bool> drop(rows.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows.size() && !drop[i]; ++j) {
            const bool same = Contains(rows[j], rows[i]);
            if (i != j && !drop[j] && Contains(rows[i], rows[j]) &&
                (!same || (j < i && rows[i].factors == rows[j].factors))) {
                drop[i] = true;
            }
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!drop[i] && kept++ != i) {
            rows[kept - 1] = std::move(rows[i]);
        }
    }
    rows.resize(kept);
}

// Rows after zeroing column `column`; false when there would be too many or a number overflows.
bool Eliminate(std::vector<SRow>& rows, std::size_t column) {
    std::vector<SRow> next;
    for (const SRow& row : rows) {
        if (row.rest[column] == 0) {
            next.push_back(row);
        }
    }
    for (const SRow& plus : rows) {
        for (const SRow& minus : rows) {
            if (plus.rest[column] <= 0 || minus.rest[column] >= 0) {
                continue;
            }
            if (next.size() >= CInvariants::kRowLimit) {
                return false;
            }
            SRow& made = next.emplace_back();
            if (!Combine(plus, -minus.rest[column], minus, plus.rest[column], made)) {
                return false;
            }
        }
    }
    KeepMinimal(next);
    rows = std::move(next);
    return true;
}

}  // namespace

std::vector<std::vector<std::int64_t>> CInvariants::Incidence(const CNetStructure& net) {
    std::vector<std::vector<std::int64_t>> matrix(
        net.Places().size(), std::vector<std::int64_t>(net.Transitions().size(), 0));
    for (std::uint32_t t = 0; t < net.Transitions().size(); ++t) {
        for (const auto& flow : net.Inputs(t)) {
            matrix[flow.place][t] -= flow.weight;
        }
        for (const auto& flow : net.Outputs(t)) {
            matrix[flow.place][t] += flow.weight;
        }
    }
    return matrix;
}

bool CInvariants::Farkas(const std::vector<std::vector<std::int64_t>>& matrix,
                         std::vector<Invariant>& found) {
    found.clear();
    const std::size_t count = matrix.size();
    std::vector<SRow> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        rows[i].rest = matrix[i];
        rows[i].factors.assign(count, 0);
        rows[i].factors[i] = 1;
        rows[i].support.assign((count + 63) / 64, 0);
        rows[i].support[i / 64] |= std::uint64_t{1} << (i % 64);
    }
    const std::size_t columns = count == 0 ? 0 : matrix[0].size();
    for (std::size_t column = 0; column < columns; ++column) {
        if (!Eliminate(rows, column)) {
            return false;
        }
    }
    for (const SRow& row : rows) {
        Invariant& invariant = found.emplace_back();
        for (std::uint32_t i = 0; i < count; ++i) {
            if (row.factors[i] != 0) {
                invariant.push_back({i, row.factors[i]});
            }
        }
    }
    std::sort(found.begin(), found.end());
    return true;
}

bool CInvariants::OfPlaces(const CNetStructure& net, std::vector<Invariant>& found) {
    return Farkas(Incidence(net), found);
}

bool CInvariants::OfTransitions(const CNetStructure& net, std::vector<Invariant>& found) {
    const auto incidence = Incidence(net);
    std::vector<std::vector<std::int64_t>> transposed(
        net.Transitions().size(), std::vector<std::int64_t>(net.Places().size(), 0));
    for (std::size_t p = 0; p < incidence.size(); ++p) {
        for (std::size_t t = 0; t < incidence[p].size(); ++t) {
            transposed[t][p] = incidence[p][t];
        }
    }
    return Farkas(transposed, found);
}

}  // namespace orvane
