#pragma once
// Whole-stream static Huffman coding: the outermost layer of every project file.
// One coding or decoding runs at a time on the unit's coder state.
//
// Coded layout: byte 0 the number of valid bits in the last data byte (0 for
// a full byte); bytes 1..4 the table length T (int32, little-endian); T bytes
// of code table (value, code length, code bits MSB first, per present value in
// ascending order); then the bit stream, MSB first.
#include "platform/Exceptions.h"

#include <cstdint>

class TStream;

// A coded input that is damaged, truncated or no coded file at all; or an
// input that cannot be coded into a file that reads back.
class EHuffError : public Exception { using Exception::Exception; };

void HuffReset();
bool HuffSetInput(TStream &Stream);
bool HuffSetOutput(TStream &Stream);
// Codes the whole input into the output; the coded size. Raises EHuffError,
// before writing, for an input over 2 GB or one whose code table would exceed
// 1492 bytes.
std::int32_t HuffCompress(std::int32_t &InputSize, std::int32_t &CodedSize);
// Decodes the whole coded input into the output; raises EHuffError on damage
// and, before decoding anything where it can tell, on input that would decode
// to more than 2 GB (no coding writes more).
void HuffDecompress();
// Decodes only the first Count bytes (fewer where the data end before) and
// leaves the rest of the coded input unread and unchecked; the bytes decoded.
std::int64_t HuffDecompressFirst(std::int64_t Count);
// Decoding in steps, for a reader that takes the bytes as it needs them:
// HuffDecodeBegin (after HuffReset and HuffSetInput) reads the code table;
// each HuffDecodeNext decodes at most Count further bytes into Out, fewer
// only where the data end, and gives their number. Both raise EHuffError on
// damage.
void HuffDecodeBegin();
std::int64_t HuffDecodeNext(std::uint8_t *Out, std::int64_t Count);
