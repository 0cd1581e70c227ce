// orvane-db: the database files ("userdb", "testdb", "quesdb") as JSON, both ways.
#include <cstdio>

#include "DatabaseTool.h"

int main(int argc, char** argv) {
    return orvane::RunDatabaseTool(argc, argv, stdout, stderr);
}
