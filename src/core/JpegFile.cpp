// JpegFile.cpp — JPEG decoding and encoding with libjpeg-turbo, errors returned, never exits.
//
// libjpeg reports errors by calling error_exit, which must not return; we leave with longjmp
// back into the one function that called setjmp. That function touches nothing but the state
// struct owned by its caller, so no C++ object is skipped or left half-updated by the jump,
// and the TFileError is thrown only after control is back in ordinary code.
#include "core/JpegFile.h"

#include "core/Error.h"
#include "core/FileIO.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// Enough for a progressive 4096 x 4096 colour image's coefficients (96 MB); bigger progressive
// files are refused rather than paged to a backing store the library does not have.
constexpr long JpegMaxMemory = 256L << 20;
// A file can repeat scans endlessly; each one walks the whole image again.
constexpr int JpegMaxScans = 500;
// Rows are reserved up front only as far as the compressed size could plausibly expand;
// a header that lies about the size then costs memory only for rows that really decode.
constexpr size_t JpegMaxExpansion = 1024;
constexpr int DecodeRowBatch = 4;

struct TJpegError {
  jpeg_error_mgr Manager;  // first: the library hands back a pointer to it
  std::jmp_buf Escape;
  char Message[JMSG_LENGTH_MAX] = {};
};

TJpegError& ErrorOf(j_common_ptr cinfo) { return *reinterpret_cast<TJpegError*>(cinfo->err); }

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  TJpegError& error = ErrorOf(cinfo);
  (*cinfo->err->format_message)(cinfo, error.Message);
  std::longjmp(error.Escape, 1);
}

// Level -1 is a corrupt-data warning, after which libjpeg would go on with made-up pixels.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace output
  ++cinfo->err->num_warnings;
  ErrorExit(cinfo);
}

void LimitScans(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= JpegMaxScans) return;
  TJpegError& error = ErrorOf(cinfo);
  std::snprintf(error.Message, sizeof error.Message, "more than %d scans", JpegMaxScans);
  std::longjmp(error.Escape, 1);
}

void InstallErrorManager(TJpegError& error) {
  jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.emit_message = EmitMessage;
}

struct TDecoder {
  jpeg_decompress_struct Info{};
  TJpegError Error;
  jpeg_progress_mgr Progress{};
  bool Created = false;
  std::string Refusal;  // our own reason, when the library found nothing wrong
  TJpegInfo Header;
  std::vector<uint8_t> Rgb;

  TDecoder() {
    InstallErrorManager(Error);
    Info.err = &Error.Manager;
    Progress.progress_monitor = LimitScans;
  }
  ~TDecoder() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
  TDecoder(const TDecoder&) = delete;
  TDecoder& operator=(const TDecoder&) = delete;
};

// The only function that calls setjmp: every value it changes lives in `d`.
bool RunDecode(TDecoder& d, const uint8_t* data, size_t size, bool headerOnly) {
  if (setjmp(d.Error.Escape)) return false;
  jpeg_create_decompress(&d.Info);
  d.Created = true;
  d.Info.mem->max_memory_to_use = JpegMaxMemory;
  d.Info.progress = &d.Progress;
  jpeg_mem_src(&d.Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.Info, TRUE);
  d.Header = {static_cast<int>(d.Info.image_width), static_cast<int>(d.Info.image_height),
              d.Info.num_components, jpeg_has_multiple_scans(&d.Info) != 0};
  if (d.Info.image_width > JpegMaxSide || d.Info.image_height > JpegMaxSide) {
    d.Refusal = "JPEG image is " + std::to_string(d.Info.image_width) + " x " +
                std::to_string(d.Info.image_height) + " pixels (at most " +
                std::to_string(JpegMaxSide) + " a side)";
    return false;
  }
  if (d.Info.num_components != 1 && d.Info.num_components != 3) {
    d.Refusal = "JPEG image has " + std::to_string(d.Info.num_components) +
                " colour components (only grey and colour images are read)";
    return false;
  }
  if (headerOnly) return true;

  d.Info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d.Info);
  if (d.Info.output_components != 3) {
    d.Refusal = "JPEG image did not decode to RGB";
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(d.Info.output_width) * 3;
  const size_t total = rowBytes * d.Info.output_height;
  d.Rgb.reserve(std::min(total, size * JpegMaxExpansion));
  while (d.Info.output_scanline < d.Info.output_height) {
    const JDIMENSION first = d.Info.output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(DecodeRowBatch, d.Info.output_height - first);
    d.Rgb.resize((first + count) * rowBytes);
    JSAMPROW rows[DecodeRowBatch];
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = d.Rgb.data() + (first + i) * rowBytes;
    jpeg_read_scanlines(&d.Info, rows, count);
  }
  d.Rgb.resize(total);
  jpeg_finish_decompress(&d.Info);
  return true;
}

std::string FailureReason(const TDecoder& d) {
  if (!d.Refusal.empty()) return d.Refusal;
  return std::string("corrupt JPEG: ") + d.Error.Message;
}

struct TEncoder {
  jpeg_compress_struct Info{};
  TJpegError Error;
  bool Created = false;
  unsigned char* Buffer = nullptr;  // grown by the library with malloc
  unsigned long Size = 0;

  TEncoder() {
    InstallErrorManager(Error);
    Info.err = &Error.Manager;
  }
  ~TEncoder() {
    if (Created) jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
  TEncoder(const TEncoder&) = delete;
  TEncoder& operator=(const TEncoder&) = delete;
};

bool RunEncode(TEncoder& e, const uint8_t* rgb, int width, int height, int quality) {
  if (setjmp(e.Error.Escape)) return false;
  jpeg_create_compress(&e.Info);
  e.Created = true;
  jpeg_mem_dest(&e.Info, &e.Buffer, &e.Size);
  e.Info.image_width = static_cast<JDIMENSION>(width);
  e.Info.image_height = static_cast<JDIMENSION>(height);
  e.Info.input_components = 3;
  e.Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&e.Info);
  jpeg_set_quality(&e.Info, quality, TRUE);
  jpeg_start_compress(&e.Info, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  while (e.Info.next_scanline < e.Info.image_height) {
    // The library's row type is not const, but compression only reads the rows.
    JSAMPROW row = const_cast<uint8_t*>(rgb) + e.Info.next_scanline * rowBytes;
    jpeg_write_scanlines(&e.Info, &row, 1);
  }
  jpeg_finish_compress(&e.Info);
  return true;
}

}  // namespace

TJpegInfo ReadJpegInfo(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  TDecoder decoder;
  if (!RunDecode(decoder, data, size, true)) throw TFileError(nameForErrors, FailureReason(decoder));
  return decoder.Header;
}

TJpegImage DecodeJpeg(const uint8_t* data, size_t size, const std::string& nameForErrors) {
  TDecoder decoder;
  if (!RunDecode(decoder, data, size, false))
    throw TFileError(nameForErrors, FailureReason(decoder));
  TJpegImage image;
  image.Width = decoder.Header.Width;
  image.Height = decoder.Header.Height;
  image.Components = decoder.Header.Components;
  image.Rgb = std::move(decoder.Rgb);
  return image;
}

TJpegImage ReadJpegFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path, JpegMaxFileSize);
  return DecodeJpeg(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* rgb, int width, int height, int quality) {
  if (width <= 0 || height <= 0 || width > JpegMaxSide || height > JpegMaxSide)
    throw TFileError("JPEG encoder", "cannot write a " + std::to_string(width) + " x " +
                                         std::to_string(height) + " image");
  TEncoder encoder;
  if (!RunEncode(encoder, rgb, width, height, std::clamp(quality, 1, 100)))
    throw TFileError("JPEG encoder", encoder.Error.Message);
  return std::vector<uint8_t>(encoder.Buffer, encoder.Buffer + encoder.Size);
}

void WriteJpegFile(const std::string& path, const uint8_t* rgb, int width, int height,
                   int quality) {
  std::vector<uint8_t> bytes;
  try {
    bytes = EncodeJpeg(rgb, width, height, quality);
  } catch (const TFileError& e) {
    throw TFileError(path, e.Reason);
  }
  WriteFileAtomic(path, bytes.data(), bytes.size());
}
