// Number text: reading as the C library's atof does, writing as a default-formatted stream does.
#pragma once

#include <string_view>

// atof of the field alone, narrowed to float: leading white space is skipped, text after the number is
// ignored, and a field that does not begin with a number reads as 0. Nothing past the field's end is read.
float read_float(std::string_view field);

// Longest text write_float produces ("-1.17549e-38", "-inf") with room to spare.
constexpr int float_text_room = 24;

// Writes value as a default std::ostream writes a float (general notation, 6 significant digits: 2.8284271
// as 2.82843, 0.00001 as 1e-05) at first, which has float_text_room bytes; returns the end of the text.
char* write_float(char* first, float value);

// The float that value's written text reads back as (6 significant digits): what a program reading a contact
// list sees, so that distances within one process order and compare as they do after a text file.
float as_written(float value);
