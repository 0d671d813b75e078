// Table-driven checks: each row of a table runs under a trace naming its index.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

template <typename Row, std::size_t N, typename Check>
void EachRow(const Row (&rows)[N], Check check)
{
    for (std::size_t i = 0; i < N; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        check(rows[i]);
    }
}

inline std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
