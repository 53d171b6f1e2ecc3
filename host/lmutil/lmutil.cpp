// The licence server's status tool as a seat meets it, for the tests:
// lmutil.exe answers what the test wrote beside it in lmutil-answer.txt,
// and writes the command line it was given to lmutil-args.txt.
//
// The answer file's first line says how to answer, the rest is the text:
//   print       prints the text and exits 0
//   fail N      prints the text and exits N (as the real tool on an error)
//   silent      prints nothing and exits 0
//   hang        prints the text, then never ends
// Without an answer file it prints nothing and exits 1.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// path of name beside this program.
std::string beside(const char* name) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return name;
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

bool readAll(const std::string& path, std::string& text) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return true;
}

void print(const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), (DWORD)text.size(), &written, nullptr);
}

} // namespace

int main() {
    if (FILE* f = std::fopen(beside("lmutil-args.txt").c_str(), "wb")) {
        std::fputs(GetCommandLineA(), f);
        std::fclose(f);
    }
    std::string answer;
    if (!readAll(beside("lmutil-answer.txt"), answer)) return 1;
    const size_t eol = answer.find('\n');
    std::string how = answer.substr(0, eol);
    if (!how.empty() && how.back() == '\r') how.pop_back();
    const std::string text = eol == std::string::npos ? std::string() : answer.substr(eol + 1);
    if (how == "silent") return 0;
    if (how == "hang") {
        print(text);
        for (;;)
            Sleep(1000);
    }
    print(text);
    if (how.compare(0, 5, "fail ") == 0) return std::atoi(how.c_str() + 5);
    return 0;
}
