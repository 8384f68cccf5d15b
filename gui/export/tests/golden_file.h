#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

// Compares an export with its golden file in testdata/export; BRISVANE_WRITE_GOLDEN=1 writes
// the file instead (read it before committing it).
inline void expectGolden(const std::string& name, const std::string& text) {
    const std::string path = std::string(BRISVANE_TESTDATA_DIR) + "/export/" + name;
    if (std::getenv("BRISVANE_WRITE_GOLDEN")) std::ofstream(path, std::ios::binary) << text;
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    EXPECT_EQ(text, std::string(std::istreambuf_iterator<char>(in), {})) << name;
}
