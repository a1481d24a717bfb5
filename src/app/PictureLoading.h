#pragma once

#include <functional>
#include <future>
#include <memory>
#include <string>

#include "formats/PictureRegion.h"

// How the window reads a picture file. Decoding runs on another thread while
// the window repaints under its busy cursor; the user's clicks and keys wait
// for it, but closing the window abandons it and leaves the window as it was.
// What a library says while reading is kept from the terminal and from the
// user, unless it explains why the picture did not open.
class PictureLoading {
 public:
  // For tests: what decodes a picture on the worker thread instead of the
  // program's decoder; nullptr puts that back.
  using PictureDecoder = formats::PictureRegion (*)(const std::string& fileName);
  static void SetPictureDecoder(PictureDecoder decoder);

  // The decoding of the file about to be opened, begun before the window asked for it.
  void Begun(std::future<formats::PictureRegion> decoding) { decoding_ = std::move(decoding); }
  // A picture already read, from the clipboard: the next Decode gives it.
  void Given(formats::PictureRegion picture);
  // The window is closing: a decoding waited for is given up.
  void Abandon() { closing_ = true; }

  // Runs `load`, which reads `fileName` through Decode and shows it. A file
  // that can't be decoded is reported and changes nothing; a damaged one is
  // shown as far as it could be read, and said so.
  bool Try(const std::string& fileName, const std::function<std::string()>& load);
  // The file decoded, or taken from the decoding begun for it.
  formats::PictureRegion Decode(const std::string& fileName);

 private:
  struct Abandoned {};

  formats::PictureRegion Await(std::future<formats::PictureRegion>& decoding);

  std::future<formats::PictureRegion> decoding_;
  // What a library said while the last picture was decoded on its thread.
  std::shared_ptr<std::string> said_ = std::make_shared<std::string>();
  bool closing_ = false;
};
