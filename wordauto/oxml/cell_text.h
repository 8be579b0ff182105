#pragma once

#include <pugixml.hpp>

#include <string>

namespace wordauto::detail {

// The cells of a row (w:tc), looking through content controls and custom XML: the column-th
// (from 1) or an empty node, and how many there are.
pugi::xml_node cellAt(pugi::xml_node row, int column);
int cellCount(pugi::xml_node row);

// A cell's text as Word gives it: each paragraph followed by CR, then BEL; nested tables as
// their cells' texts with their own end-of-cell and end-of-row marks.
std::string cellText(pugi::xml_node cell);
// A paragraph's text: runs' text, tabs and breaks; field codes and deleted text left out.
std::string paragraphText(pugi::xml_node paragraph);

// Replaces the content of a cell with text (CR separates paragraphs), keeping the properties of
// the cell, of its first paragraph and of that paragraph's first run.
void setCellText(pugi::xml_node cell, const std::string& text);

// Leaves every cell of the row with one empty paragraph formatted like its first one.
void clearCells(pugi::xml_node row);

} // namespace wordauto::detail
