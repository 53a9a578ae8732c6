// What the project reads in Windows programs' and DLLs' PE headers. The stub and the builder care
// about two fields of a program: the checksum and the security directory, where a code-signing
// tool records the signature it appends to the file; a copy that keeps the bytes but not the
// signature must clear both. Of a DLL they care about the machine it was built for (a terminal
// loads only DLLs of its own bitness) and the DLLs it imports (one missing, and loading fails).
#pragma once

#include "base/stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ko {

struct TPeFields {
    size_t CheckSum;          // file offset of the optional header's CheckSum
    size_t SecurityDirectory; // file offset of the security entry (address, size)
};

// The fields of the program whose first Size bytes are Header; nothing when those bytes hold no
// PE header with a security entry.
std::optional<TPeFields> FindPeFields(const uint8_t* header, size_t size);

// The checksum Windows computes for a file: 16-bit sums with carries folded in, the checksum
// field counted as zero, plus the file's length.
uint32_t PeChecksum(TStream& file, size_t checkSumOffset);

// When File's program header names a security directory, clears it and writes the checksum of
// what File then holds; returns whether it did. File is read and written from the start.
bool ClearSignature(TStream& file);

// The machine field's values of the two processors a terminal runs on.
inline constexpr uint16_t PeMachineI386 = 0x014C;
inline constexpr uint16_t PeMachineAmd64 = 0x8664;

struct TPeModule {
    uint16_t Machine = 0; // the COFF header's machine field
    bool Dll = false;     // the DLL flag of the COFF characteristics
    // The names of the DLLs the import directory lists, in its order, as written there.
    std::vector<std::string> Imports;
};

// The machine, kind and imports of the program or DLL File holds; nothing when File is no PE
// image. An import directory that points outside the file, or names that are cut short, end the
// list where they begin: the header fields are still returned.
std::optional<TPeModule> ReadPeModule(TStream& file);

} // namespace ko
