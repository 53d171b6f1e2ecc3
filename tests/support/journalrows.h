// The session journal as the tests read it back, with checks on its shape.
#pragma once
#include <doctest.h>
#include <string>
#include <vector>
#include "cmdlog/journalformat.h"
#include "cmdlog/logwriter.h"
#include "testkit.h"

// The computer's name, which names its journal file.
inline std::string journalComputer() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = sizeof name;
    GetComputerNameA(name, &n);
    return name;
}

// The rows after the header, each split into its ten columns, once the
// module's writer has written what it was given.
inline std::vector<std::vector<std::string>> journalRows(const std::string& file) {
    std::vector<std::vector<std::string>> out;
    CHECK(waitLogWritten(5000));
    std::vector<std::string> ls = testkit::lines(testkit::readFile(file));
    for (size_t i = 1; i < ls.size(); ++i) {
        std::vector<std::string> f;
        CHECK(splitCsvLine(ls[i], f));
        CHECK(f.size() == 10);
        f.resize(10);
        out.push_back(f);
    }
    return out;
}
