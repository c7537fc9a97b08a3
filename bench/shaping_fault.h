// A fault of 64-bit Wine's text shaping, not of the sheet: an edit box given
// a ligature followed by a combining mark that attaches to it (Arabic "la"
// with a fatha, U+0644 U+0627 U+064E, is the smallest real text) reads
// unmapped memory while Wine's OpenType code places the mark
// (GPOS_apply_MarkToLigature, from ScriptStringAnalyse in the edit control)
// and the program crashes. 32-bit Wine reads the same bad address without
// faulting; Windows shapes any text an edit box is given.
//
// The fuzz asks once whether the fault is there, by showing that text in an
// edit box in a child process, and only then keeps such marks out of its
// texts (LigatureMark), so that it judges the sheet and not the font code.
#pragma once

#include <string>

namespace lullan::bench {

// The child's side: shows the probe text in an edit box. Ends the process
// with a crash where the fault is.
int ShowLigatureWithMark();

// Runs `program` with `argument` (the child that calls ShowLigatureWithMark)
// and says whether it crashed. The answer is kept for the process.
bool ShapingFaultExists(const std::wstring& program, const wchar_t* argument);

// The combining marks that 64-bit Wine's shaper places on a ligature, and so
// crash it: the Hebrew points and the Arabic harakat, Quranic annotation
// signs and superscript alef.
bool LigatureMark(wchar_t c);

}  // namespace lullan::bench
