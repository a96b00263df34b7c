#include "driver/convert_psd.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include "filmstrip/filmstrip_bands.h"
#include "filmstrip/frame_dialogue.h"
#include "psd/channel_bands.h"
#include "psd/psd_header.h"

namespace varnholt {

namespace {

// Pieces of the file in flight: one being written, one being assembled, one between.
constexpr size_t PiecesInFlight = 3;

// Takes an assembled piece, the last one when `last`, and gives back an empty piece to assemble
// the next into, or nullptr when assembling is to stop.
using TPassPiece = std::function<TFilmstripPiece*(TFilmstripPiece* piece, bool last)>;

// Reads, decodes and interleaves every band in file order, piece after piece, and puts the tail
// behind the last pixel.
void AssemblePieces(TStream& input, const TChannelData& data, const TBandSizes& sizes, const TFilmstripTail& tail,
                    TChannelReader (&readers)[4], TFilmstripPiece* piece, const TPassPiece& passPiece) {
  for (int64_t done = 0; done < data.Samples;) {
    const size_t count =
        static_cast<size_t>(std::min<int64_t>(data.Samples - done, static_cast<int64_t>(sizes.BandSamples)));
    if (!PieceHoldsBand(*piece, count) && (piece = passPiece(piece, false)) == nullptr) return;
    const uint8_t* strips[4];
    for (size_t c = 0; c < 4; ++c) strips[c] = ReadChannelBand(input, readers[c], count, c == 0 ? nullptr : strips[c - 1]);
    AppendBand(*piece, strips, count);
    done += static_cast<int64_t>(count);
  }
  AppendTail(*piece, tail);
  passPiece(piece, true);
}

// The pieces pass from the thread that assembles them to the one that writes them, in order.
struct TPieceHandoff {
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<TFilmstripPiece*> Assembled;
  std::deque<TFilmstripPiece*> Empty;
  bool LastAssembled = false;
  bool Abandoned = false;  // the writer has failed: assemble no more
  std::exception_ptr AssemblyFailure;
};

// Assembles on a second thread while this one writes: reading and decoding the next pieces
// overlaps writing the last. The bytes and their order are those of one thread. False, with
// nothing done, when the system gives no second thread.
bool WritePiecesAssembledAlongside(TOutputStream& output, TFilmstripPiece (&pieces)[PiecesInFlight],
                                   const std::function<void(TFilmstripPiece*, const TPassPiece&)>& assemble) {
  TPieceHandoff handoff;
  for (size_t p = 1; p < PiecesInFlight; ++p) handoff.Empty.push_back(&pieces[p]);
  const TPassPiece passPiece = [&handoff](TFilmstripPiece* piece, bool last) -> TFilmstripPiece* {
    std::unique_lock<std::mutex> lock(handoff.Lock);
    handoff.Assembled.push_back(piece);
    handoff.LastAssembled = last;
    handoff.Changed.notify_all();
    if (last) return nullptr;
    handoff.Changed.wait(lock, [&] { return handoff.Abandoned || !handoff.Empty.empty(); });
    if (handoff.Abandoned) return nullptr;
    TFilmstripPiece* empty = handoff.Empty.front();
    handoff.Empty.pop_front();
    return empty;
  };
  std::thread assembler;
  try {
    assembler = std::thread([&] {
      try {
        assemble(&pieces[0], passPiece);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(handoff.Lock);
        handoff.AssemblyFailure = std::current_exception();
        handoff.Changed.notify_all();
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  // On every way out the assembler is told to stop and is waited for.
  struct TStopAssembler {
    TPieceHandoff& Handoff;
    std::thread& Assembler;
    ~TStopAssembler() {
      {
        const std::lock_guard<std::mutex> lock(Handoff.Lock);
        Handoff.Abandoned = true;
        Handoff.Changed.notify_all();
      }
      Assembler.join();
    }
  } stop{handoff, assembler};

  for (;;) {
    TFilmstripPiece* piece = nullptr;
    bool last = false;
    {
      std::unique_lock<std::mutex> lock(handoff.Lock);
      handoff.Changed.wait(lock, [&] { return !handoff.Assembled.empty() || handoff.AssemblyFailure; });
      if (handoff.AssemblyFailure) std::rethrow_exception(handoff.AssemblyFailure);
      piece = handoff.Assembled.front();
      handoff.Assembled.pop_front();
      last = handoff.LastAssembled && handoff.Assembled.empty();
    }
    WriteFilmstripPiece(output, *piece);
    if (last) return true;
    const std::lock_guard<std::mutex> lock(handoff.Lock);
    handoff.Empty.push_back(piece);
    handoff.Changed.notify_all();
  }
}

}  // namespace

void ConvertPsd(TStream& input, const std::string& outputPath, TConsole& console, TFileSystem& fileSystem,
                const TBandSizes& sizes) {
  TPsdHeader header;
  if (!ReadPsdHeader(input, header)) return console.WriteLine(InvalidPsdRefusal);
  if (const char* refusal = TestPsdHeader(header)) return console.WriteLine(refusal);
  CheckPsdSizes(header);

  // Colour mode data, image resources, layer and mask information: never read. A large
  // document gives the last one an 8-byte length.
  if (!SkipSection(input) || !SkipSection(input)) return console.WriteLine(InvalidPsdRefusal);
  if (!(IsLargeDocument(header) ? SkipLargeSection(input) : SkipSection(input)))
    return console.WriteLine(InvalidPsdRefusal);

  TChannelData data;
  if (!ReadCompressionCode(input, data.Compression)) return console.WriteLine(InvalidPsdRefusal);
  if (data.Compression != RawData && data.Compression != PackBitsData) return console.WriteLine(CompressionRefusal);
  if (data.Compression == PackBitsData) {
    data.CompressedLengths = SumCompressedLengths(input, header);
    CheckCompressedLengths(data.CompressedLengths);
  }
  data.Start = input.Position();
  data.Samples = int64_t{header.Rows} * header.Columns;

  const TFilmstripTail tail = AskFrameGeometry(console, header.Rows, header.Columns);

  // Every buffer is had before the file is created, so that a lack of memory leaves no file.
  TChannelReader readers[4];
  StartChannelReaders(data, sizes, readers);
  TFilmstripPiece pieces[PiecesInFlight];
  for (TFilmstripPiece& piece : pieces) StartFilmstripPiece(piece, sizes);
  const std::unique_ptr<TOutputStream> output = fileSystem.CreateOutput(outputPath);

  const auto assemble = [&](TFilmstripPiece* first, const TPassPiece& passPiece) {
    AssemblePieces(input, data, sizes, tail, readers, first, passPiece);
  };
  // A file of one piece, or a system that gives no second thread, is assembled and written here.
  const TPassPiece writeHere = [&output](TFilmstripPiece* piece, bool) {
    WriteFilmstripPiece(*output, *piece);
    return piece;
  };
  const bool onePiece = static_cast<uint64_t>(data.Samples) * 4 <= pieces[0].PixelCapacity;
  if (onePiece || !WritePiecesAssembledAlongside(*output, pieces, assemble)) assemble(&pieces[0], writeHere);
  output->Close();
}

}  // namespace varnholt
