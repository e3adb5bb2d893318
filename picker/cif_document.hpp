// mmCIF text to gemmi's document in one pass over the bytes, several times faster than gemmi's grammar-driven
// parser, for the text that archive files are made of; gemmi's parser reads everything else.
#pragma once

#include <string>
#include <string_view>

#include <gemmi/cifdoc.hpp>

// Reads text into document as gemmi::cif::read_memory(text, name) would: the same blocks, items, tags, raw
// values (quotes and text-field markers kept) and line numbers, then gemmi's own checks for missing values and
// duplicate tags (which throw as gemmi's reader does). Returns false, leaving document empty, for text it does
// not take (save frames, global_, stop_, a tag without a value, an empty loop, any syntax error): the caller
// then reads it with gemmi's parser, which gives the same document or gemmi's message.
bool read_cif_document(std::string_view text, const std::string& name, gemmi::cif::Document& document);
