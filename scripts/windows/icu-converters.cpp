// Prints the ICU data items (.cnv files) behind the converter names given as arguments,
// one per line; names ICU handles without data print nothing. Run natively with the
// same ICU version as the one cross-built.
#include <unicode/ucnv.h>

#include <cstdio>

int main(int argc, char** argv) {
  int missing = 0;
  for (int i = 1; i < argc; ++i) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open(argv[i], &status);
    if (U_FAILURE(status)) {
      std::fprintf(stderr, "ICU no conoce la codificación %s\n", argv[i]);
      ++missing;
      continue;
    }
    std::printf("%s.cnv\n", ucnv_getName(c, &status));
    ucnv_close(c);
  }
  return missing == 0 ? 0 : 1;
}
