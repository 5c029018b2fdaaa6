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
// A data file read by the reader step of a load. One input in 16 (told by its bytes) is also read
// on several threads in chunks of a few bytes, which must tell what the serial read does;
// DataFileCompared makes that comparison on every input.
void DataFile(const uint8_t* data, size_t size);
void DataFileCompared(const uint8_t* data, size_t size);
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

// One part of a workbook fed to its reader, the other parts fixed and small. The first byte picks
// the part, the rest is its XML. xlsx: 0 a sheet, 1 the shared strings, 2 the workbook, 3 the
// styles, 4 the workbook's relationships. A sheet is read by expat, by the scanner, and by the
// scanner in row chunks on several threads, which must give the same workbook (the other parts
// have expat only, and the workbook is read once). For every part, the bare parser's calls must
// be the same from the scanner (where it keeps the part) and from expat. ods: 0 the content, 1 the
// settings, 2 the styles, with the same check of the parser's calls.
void XlsxPart(const uint8_t* data, size_t size);
void OdsPart(const uint8_t* data, size_t size);
// A key store file loaded, then read and written as the program's file association does; what it
// saves must load back to the same store.
void KeyStore(const uint8_t* data, size_t size);
// A command line (arguments cut at NUL bytes) taken as main() takes it, then the data file it
// names opened by the reader step, in a folder of a few files of this process (absolute paths are
// taken inside it; a path that climbs out with ".." is not opened). That folder becomes the
// process's current folder: name the fuzzer's corpus and artifact folders by absolute paths.
void CommandLine(const uint8_t* data, size_t size);

// Quiet services (message boxes answered at once, a fixed locale) for the whole run.
void InstallQuietServices();

}  // namespace vantrel::fuzz
