#pragma once
// The test data under tests/data, and counting in what a program said.
#include <cstddef>
#include <string>

// A picture of tests/data/textures, as its bytes.
std::string DataPicture(const std::string& name);

// How many times `what` stands in `text`, overlapping ones too.
size_t Count(const std::string& text, const std::string& what);
