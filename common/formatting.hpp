// Text and number formatting. Texts are byte strings; lengths, positions and widths count bytes. Number text is
// made and read with the standard streams in the "C" locale and their default formatting.
#pragma once

#include <string>
#include <string_view>

// True when the text begins with a float, as stream extraction reads one: leading white space is skipped and
// what follows the number is ignored ("3abc" is numeric); "", " ", "-", ".", "abc" and "1e50" (beyond float) are not.
bool isNumeric(std::string text);

// The value as a default stream writes it: 6 significant digits for a double (3.14159265 as 3.14159, 100.0 as
// 100, 0.00001 as 1e-05, one million as 1e+06); plain decimal for integers.
std::string num2string(double value);
std::string num2string(int value);
std::string num2string(unsigned int value);

// Compares the lengths first. A text longer than the character set loses its leading and trailing characters
// of the set (all of it when it has no other); a shorter text comes back unchanged; a text of the same length
// comes back empty when it equals the set as a whole string, else unchanged ("ab" with set "ba" stays "ab").
std::string strip(std::string text, std::string characters);

// Occurrences of pattern in text, overlapping ones included ("aa" in "aaa" is 2); the empty pattern is found
// at every position, text length + 1 times.
int word_count(std::string text, std::string pattern);

// Exactly width bytes: a text at least that long is cut to its first width bytes; a shorter one is padded with
// blanks on the right when mode is exactly "l", on the left for any other mode.
std::string align(std::string text, unsigned int width, std::string mode);

// The number text with exactly `decimals` digits after the point, cut, never rounded ("0.999" to 2 gives 0.99).
// Works on the text: a text that is not numeric comes back unchanged; a value >= 0 as a float (so also -0)
// gets a "+" in front, kept only with plus_sign ("-0" to 2 gives "+-0.00" with it, "-0.00" without). Zeros
// are appended as needed, a point too when there is none; exponent text is treated the same way, by position
// ("1.5e-05" to 3 gives "+1.5e-"). decimals 0 gives the value truncated to an integer, never with "+" (-0.7
// gives "0"); values beyond the int range saturate at its limits. Negative decimals append no zeros and cut
// nothing.
std::string strf(std::string number_text, int decimals, bool plus_sign);
// The same for num2string of the value widened to double.
std::string strf(float value, int decimals, bool plus_sign);

// A name (chain, residue, atom) as the tables people read write it: the file's bytes, with a tab, a line break
// and a backslash escaped as \t, \n and \\.
std::string table_name(std::string_view name);
// The name a table's field holds: table_name undone.
std::string name_from_table(std::string_view field);

// A residue's identifier in the lists and maps: the chain name, "_" after it when it ends in a digit or "-" (so
// that chain 1's residue 7 is "1_7", never "17"), the author number, the insertion code.
std::string residue_id(std::string_view chain, std::string_view number, std::string_view icode);
