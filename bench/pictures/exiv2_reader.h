#pragma once

#include <string>

// Reads the five fields the gallery shows with libexiv2; returns their texts joined, so that nothing is
// optimised away.
std::string ReadWithExiv2(const std::string& path);
