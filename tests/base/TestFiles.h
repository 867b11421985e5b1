#pragma once
// Whole-file text helpers for tests that check exact file contents.
#include <fstream>
#include <sstream>
#include <string>

inline std::string FileText(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void SetFileText(const std::string &name, const std::string &text)
{
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
}
