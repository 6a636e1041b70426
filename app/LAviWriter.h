#pragma once
// Writes frame buffers as the frames of an uncompressed AVI 1.0 movie: one video stream of
// device-independent bitmaps ('DIB '), every frame a key frame, with an index. The movie
// is written safely: it appears under its name only when Close completes it, and a movie
// that fails leaves no file behind (an older file of that name stays as it was).
// Errors go to the debug output and are kept as LastError(); nothing is shown to the user.
#include <cstdint>
#include <memory>
#include <string>

class AtomicFile;
class LFrameBuffer;

class LAviWriter {
public:
  // Many readers take the RIFF sizes of an AVI 1.0 file as signed 32-bit numbers, so a
  // movie stays below 2 GiB; a frame that would pass the limit is refused.
  static constexpr uint64_t kSizeLimit = 0x7FFFFFFFu;
  // Taken for a frame rate below 1, which has no meaning (the settings' default).
  static constexpr int kFallbackFrameRate = 15;
  // The stream's rate is the frame rate squared, which must fit in 32 bits.
  static constexpr int kMaxFrameRate = 65535;

  explicit LAviWriter(uint64_t sizeLimit = kSizeLimit);
  ~LAviWriter();
  LAviWriter(const LAviWriter&) = delete;
  LAviWriter& operator=(const LAviWriter&) = delete;

  // 1 when the movie was started; 0 when a movie is open already (nothing changes) or the
  // file cannot be created (avierr::kFileOpen).
  int Open(int frameRate, const std::string& fileName);
  // 1 when the frame was written. The first frame fixes the stream's size and format; a
  // frame of another size or format is refused (avierr::kBadSize), as is one that would
  // take the movie past the size limit (avierr::kFileWrite; the frames so far stay).
  int WriteFrame(const LFrameBuffer& frame);
  // 1 when the stream is ready (also when it was already); writes the movie's headers
  // for frames like this one. 0 for a buffer that was never created (avierr::kBadFormat).
  int CreateStream(const LFrameBuffer& frame);
  // Completes the movie and returns its name. A movie without frames, or one whose writing
  // failed, is discarded (avierr::kFileWrite for a failure).
  std::string Close();

  // The code of the latest failure since Open, avierr::kSuccess when there was none.
  int LastError() const { return m_LastError; }

private:
  int Fail(int code);
  bool WriteHeaders(const LFrameBuffer& frame);
  bool WriteIndex();
  bool PatchSizes();
  uint64_t FrameChunkBytes() const;
  uint64_t FileBytes(uint64_t frames) const;

  uint64_t m_SizeLimit;
  std::string m_FileName;
  int m_FrameRate = 30;
  int m_NextFrame = 0;
  std::unique_ptr<AtomicFile> m_File;
  bool m_StreamReady = false;
  bool m_WriteFailed = false;
  int m_LastError = 0;
  // The stream's frame format, fixed by the first frame.
  int m_Width = 0;
  int m_Height = 0;
  int m_BitsPerPixel = 0;
  uint32_t m_ImageBytes = 0;
  uint64_t m_HeaderBytes = 0;  // everything before the first frame chunk
};
