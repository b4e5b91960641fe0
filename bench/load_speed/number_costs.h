// What a number of the grid costs the reader: every list of numbers in the
// document read from memory, each number after the one before as lists were
// read before, and from masks of their bytes as they are read now.
#pragma once

#include <string>

// Prints nanoseconds per float and per integer, both ways, side by side;
// returns the seconds all of them take as they are read now.
double PrintNumberCosts(const std::string& document, int cells);
