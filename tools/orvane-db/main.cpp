// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-db: the database files ("userdb", "testdb", "quesdb") as JSON, both ways.
#include <cstdio>

#include "DatabaseTool.h"
#include "common/WriteSignals.h"

int main(int argc, char** argv) {
    orvane::IgnoreWriteSignals();
    return orvane::RunDatabaseTool(argc, argv, stdout, stderr);
}
