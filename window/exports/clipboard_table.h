// SPDX-License-Identifier: GPL-3.0-or-later
// The copies as a table that spreadsheets read as numbers whatever their
// language, put on the clipboard beside the plain text. The plain text
// writes a point as the separator, which a spreadsheet set to a language
// with a decimal comma reads as text ("73.1981528228311" is no number in
// Spanish); the table carries each number's value in attributes that
// spreadsheets read without their language, while every cell shows the
// text exactly as the window does.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "window/exports/figures.h"

namespace cotalia {

// A small UTF-8 HTML document with one table, a row per figure: the label
// and the text, each cell showing its text as given (escaped).
//
// A text that the strict reader (NumberFromText) reads whole is a number: its
// cell carries the value as the form's writer (TextOfNumber) writes it, in
// LibreOffice's sdval (with sdnum, which names the language the value is
// written in: English, a point) and in Office's x:num. A number followed by
// '%' ("18.09 %", as PercentText writes it) is a percentage: its value is the
// number with the point moved two places left in the text, so 18.09 % is
// the double nearest 0.1809, not 18.09 / 100 in binary; where the text has
// no exponent its cell is formatted as a percentage with as many decimals as
// the text shows (sdnum's format and Office's mso-number-format). Every
// other text (intervals, dates, messages, "inf", a number beyond the double
// range) is marked as text so that no spreadsheet reads it as a number or a
// date of its own accord; an empty text gives an empty cell. Labels are
// always text.
//
// The table is enclosed by the <!--StartFragment--> and <!--EndFragment-->
// comments that Windows' "HTML Format" marks its fragment with, and the
// document starts with <html.
std::string HtmlTableOf(std::span<const Figure> rows);

// The document in Windows' registered "HTML Format": a header of CRLF lines,
// Version:0.9 and the byte offsets StartHTML, EndHTML, StartFragment and
// EndFragment (zero-padded to ten digits, so that the header's length does
// not depend on them), then the document's UTF-8 bytes. StartHTML is the
// document's first byte and EndHTML one past its last; the fragment is what
// lies between the two comments, or the whole document where they are
// missing. No terminating NUL is counted: the caller adds one when it copies
// the text to global memory.
std::string WindowsHtmlClipboardOf(std::string_view html);

}  // namespace cotalia
