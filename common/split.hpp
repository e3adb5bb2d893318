// Field splitting, the one tokenizer of both file formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Fields of text at delimiter: a run of delimiters counts as one, delimiter characters at the end are dropped,
// a leading delimiter gives one empty first field. Never empty: "" and a text of delimiters alone give {""}.
// An empty delimiter gives the whole text as one field.
std::vector<std::string> split(std::string text, std::string delimiter);

// The fields that split(text, std::string(1, delimiter)) returns, as views into text, written into fields
// (cleared first). One pass and no allocation once fields has grown to the widest line.
void split_views(std::string_view text, char delimiter, std::vector<std::string_view>& fields);

// The first fields of split_views, at most n of them, written to fields[0..n-1]; returns how many were
// written, which is below n only when the text has fewer fields. Stops scanning after the n-th field.
std::size_t split_first(std::string_view text, char delimiter, std::string_view* fields, std::size_t n);
