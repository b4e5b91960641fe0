// The reader's lenient number conversions. Each gives exactly what the C
// library gives for the same text: TextToDouble is atof, TextToFloat is atof
// narrowed to float, TextToInt is atoi. Plain decimal numbers, the shape
// documents are made of, take a fast path; anything else goes to the C library.
#pragma once

// atof(text): the leading number of text, 0 when there is none.
double TextToDouble(const char* text);

// (float)atof(text): rounded to double first, then narrowed, as atof's callers do.
float TextToFloat(const char* text);

// atoi(text). atoi leaves overflow undefined; here it is what strtol gives,
// narrowed to int (glibc's atoi is exactly that): on a 64-bit long a number
// beyond the int range keeps its low 32 bits, beyond the long range it
// saturates at LONG_MIN or LONG_MAX first.
int TextToInt(const char* text);
