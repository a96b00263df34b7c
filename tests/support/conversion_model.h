// A second, independent account of what a conversion must give for a document: written byte by
// byte from the file formats, sharing no code with the program, so that the end-to-end tables
// and the fuzzers can compare the program against it on any bytes at all.
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
  enum TKind { Refused, Failed, Saved };
  TKind Kind = Refused;
  std::string Refusal;  // the refusal line, without its line end
  std::string FailureClass;
  std::string FailureMessage;
  bool AskedQuestions = false;  // the three prompts were shown before the end
  Bytes Filmstrip;              // the saved file
  uint64_t LargestBlock = 0;    // the largest buffer the conversion sizes, in bytes
};

// The outcome of converting `document` with the answers. A buffer of more than `memoryLimit`
// bytes cannot be had: the model then fails where the program's sizing of that buffer fails.
TModelOutcome ModelConversion(const Bytes& document, const TModelAnswers& answers,
                              uint64_t memoryLimit = UINT64_MAX);

// PackBits decoding one byte at a time, as the format describes it.
void ModelDecodePackBits(const uint8_t* source, int64_t sourceCount, uint8_t* destination, int64_t capacity);

}  // namespace varnholt::fixtures
