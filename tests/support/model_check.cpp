#include "support/model_check.h"

#include <optional>

#include "driver/convert_psd.h"
#include "support/memory_platform.h"

namespace varnholt::fixtures {

std::string ConversionDifference(const Bytes& document, const TModelAnswers& answers, const TBandSizes& sizes,
                                 uint64_t sizeLimit) {
  const TModelOutcome expected = ModelConversion(document, answers, sizeLimit);
  if (expected.Kind == TModelOutcome::TooLarge) return "";

  const std::string outputPath = "/work/sheet.flm";
  TMemoryConsoleDevice device(std::to_string(answers.FrameHeight) + "\n" + std::to_string(answers.Leading) + "\n" +
                              std::to_string(answers.FramesPerSecond) + "\n");
  TConsole console(device);
  TMemoryFileSystem fileSystem;
  TBytesStream input(document);
  std::optional<EFailure> failure;
  try {
    ConvertPsd(input, outputPath, console, fileSystem, sizes);
  } catch (const EFailure& raised) {
    failure = raised;
  }
  console.WritePending();

  const std::string failed = failure ? std::string(failure->ClassName) + ": " + failure->Message : "no failure";
  if (fileSystem.OutputOpen) return "the output was left open";
  switch (expected.Kind) {
    case TModelOutcome::Refused:
      if (failure) return "a refused document failed with " + failed;
      if (device.Output != expected.Refusal + "\r\n") return "refusal expected, console shows: " + device.Output;
      if (!fileSystem.Saves.empty()) return "a refused document was saved";
      return "";
    case TModelOutcome::Failed:
      if (!failure || failure->ClassName != expected.FailureClass || failure->Message != expected.FailureMessage)
        return expected.FailureClass + ": " + expected.FailureMessage + " expected, got " + failed;
      if (device.Output != (expected.AskedQuestions ? DialoguePrompts : ""))
        return "console before the failure shows: " + device.Output;
      if (!fileSystem.Saves.empty()) return "a failed conversion touched the output";
      return "";
    case TModelOutcome::Saved:
      if (failure) return "a conversion failed with " + failed;
      if (device.Output != DialoguePrompts) return "console of a conversion shows: " + device.Output;
      if (fileSystem.Saves != std::vector<std::string>{outputPath}) return "not exactly one output created";
      if (fileSystem.Files[outputPath] != expected.Filmstrip) return "Filmstrip bytes differ";
      return "";
    case TModelOutcome::TooLarge:
      break;
  }
  return "unknown outcome";
}

}  // namespace varnholt::fixtures
