#pragma once
// The inputs the fuzzers and the reproducer test feed to the program's readers: each entry
// takes arbitrary bytes, reads them as the program reads such input, and returns normally for
// every input (faults show as crashes or sanitizer reports).

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::fuzz {

// A workbook file (xlsx or ods, told by its content): opened, then every sheet read as the
// loader reads it (cells, formulas, displayed texts, the text copy of its used range).
void Workbook(const uint8_t* data, size_t size);
// A data file read by the reader step of a load.
void DataFile(const uint8_t* data, size_t size);
// The same two on a file where it lies (for inputs too large to copy). The workbook gives the
// fault that ended its reading ("" when every sheet was read); the data file the text of the
// last box it showed ("" for none).
std::string WorkbookFile(const char* path);
std::string DataFileAt(const char* path);
// A specification formula: the formula parser, then the A1 reader on every range it gives.
void Formula(const uint8_t* data, size_t size);
// Number texts: the locale-aware parser, the data-field conversion and line splitter, the run
// time's Val, and the number and date formats with a format code taken from the input.
void NumberText(const uint8_t* data, size_t size);

// Quiet services (message boxes answered at once, a fixed locale) for the whole run.
void InstallQuietServices();

}  // namespace vantrel::fuzz
