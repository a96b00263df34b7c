// A second, independent account of what a conversion must give for a document: written byte by
// byte from the file formats, sharing no code with the program, so that the end-to-end tables
// and the fuzzers can compare the program against it on any bytes at all. It is the plainest
// reading of the formats: one plane that every channel is loaded into in turn, each channel
// read as one stream right after the one before, and the whole file built in memory.
#pragma once

#include <cstdint>
#include <string>

#include "support/psd_writer.h"

namespace varnholt::fixtures {

struct TModelAnswers {
  int32_t FrameHeight = 2;
  int32_t Leading = 1;
  int32_t FramesPerSecond = 12;
};

struct TModelOutcome {
  enum TKind { Refused, Failed, Saved, TooLarge };
  TKind Kind = Refused;
  std::string Refusal;  // the refusal line, without its line end
  std::string FailureClass;
  std::string FailureMessage;
  bool AskedQuestions = false;  // the three prompts were shown before the end
  Bytes Filmstrip;              // the saved file
};

// The outcome of converting `document` with the answers. A conversion whose Filmstrip would be
// larger than `sizeLimit` bytes is not carried out: its outcome is TooLarge, once the questions
// have been asked.
TModelOutcome ModelConversion(const Bytes& document, const TModelAnswers& answers,
                              uint64_t sizeLimit = UINT64_MAX);

// PackBits decoding one byte at a time, as the format describes it.
void ModelDecodePackBits(const uint8_t* source, int64_t sourceCount, uint8_t* destination, int64_t capacity);

}  // namespace varnholt::fixtures
