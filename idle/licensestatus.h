// What the licence server's status tool (lmutil lmstat -c SERVER -f FEATURE)
// said about one feature: how many licences it has issued and how many are
// in use, or why that cannot be told.
#pragma once
#include <string>

struct LicenseStatus {
    bool known = false; // the feature's line was read
    int issued = 0;
    int inUse = 0;
    // When not known: why, in a few words ("the server answered: ...",
    // "no line for ACAD in its answer").
    std::string reason;
    int free() const { return issued > inUse ? issued - inUse : 0; }
};

// Reads the tool's output for feature. The line "Users of FEATURE:  (Total
// of N licenses issued;  Total of M licenses in use)", in the singular too,
// makes it known; an error on that line, or a line of the server's error
// when there is none, is the reason.
LicenseStatus readLicenseStatus(const std::string& output, const std::string& feature);

// What an idle seat does with the answer: stay open while at least
// needFree licences are free, close when fewer are, close as well (on idle
// time alone) when the answer does not tell.
enum class LicenseVerdict { Keep, Short, Unknown };
LicenseVerdict judgeLicenses(const LicenseStatus& status, int needFree);
// "3 of 20 licences free" (and "1 of 1 licence free").
std::string licencesFreeText(const LicenseStatus& status);
