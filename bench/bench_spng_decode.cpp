// Decodes a PNG with libspng alone, row by row into one row's memory, and
// throws the rows away: the floor for any program that reads the PNG.
//   bench_spng_decode PICTURE.png
#include <spng.h>

#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_spng_decode PICTURE.png\n");
    return 2;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(argv[1], "rb"), &std::fclose);
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> png(spng_ctx_new(0), &spng_ctx_free);
  spng_ihdr header{};
  if (!file || !png || spng_set_png_file(png.get(), file.get()) != 0 ||
      spng_get_ihdr(png.get(), &header) != 0)
    return 1;
  std::vector<unsigned char> row(3 * static_cast<size_t>(header.width));
  if (spng_decode_image(png.get(), nullptr, 0, SPNG_FMT_RGB8, SPNG_DECODE_PROGRESSIVE) != 0) return 1;
  int status = 0;
  unsigned long sum = 0;
  while ((status = spng_decode_row(png.get(), row.data(), row.size())) == 0) sum += row[0];
  std::printf("%lu\n", sum);
  return status == SPNG_EOI ? 0 : 1;
}
