#include "core/ErrorWords.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <new>

#include "platform/base/AtomicFile.h"

using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

struct WordsCase {
  const char* what;
  std::function<void()> fail;
  const char* words;
  const char* opening;
};

class ErrorWordsCases : public testing::TestWithParam<WordsCase> {};

std::string Caught(const std::function<void()>& fail, std::string (*words)(const std::exception&)) {
  try {
    fail();
  } catch (const std::exception& e) {
    return words(e);
  }
  return "(nothing raised)";
}

}  // namespace

TEST_P(ErrorWordsCases, AnyFailureAndAPictureThatDidNotOpen) {
  SCOPED_TRACE(GetParam().what);
  EXPECT_EQ(Caught(GetParam().fail, &ErrorWords::Of), GetParam().words);
  EXPECT_EQ(Caught(GetParam().fail, &ErrorWords::Opening), GetParam().opening);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ErrorWordsCases,
    testing::Values(WordsCase{"missing", [] { throw AppError::Standard(ErrorNumber::FileNotFound); },
                              "File not found", "not found"},
                    WordsCase{"missing path", [] { throw AppError::FromErrno(ENOENT, "a/b.png"); },
                              "Path not found: a/b.png (No such file or directory)", "not found"},
                    WordsCase{"no picture", [] { throw AppError::Standard(ErrorNumber::InvalidPicture); },
                              "Invalid picture", "not a picture this program reads"},
                    WordsCase{"damaged",
                              [] { throw AppError::WithDescription(ErrorNumber::InvalidPicture, "damaged"); },
                              "damaged", "damaged"},
                    WordsCase{"unreadable", [] { throw AppError::Standard(ErrorNumber::PathFileAccess); },
                              "Path/File access error", "not a file that can be read"},
                    WordsCase{"disk full", [] { throw platform::AtomicFile::Error(ENOSPC, "a/b.jpg"); },
                              "the disk is full", "the disk is full"},
                    WordsCase{"memory", [] { throw std::bad_alloc(); }, "Out of memory", "Out of memory"},
                    WordsCase{"other", [] { throw std::runtime_error("odd"); }, "odd", "odd"}));

TEST(ErrorWords, NamedNamesTheFileOnce) {
  EXPECT_EQ(ErrorWords::Named("a.png", "Path not found: a.png (gone)"), "a.png: path not found (gone)");
  EXPECT_EQ(ErrorWords::Named("a.png", "not found"), "a.png: not found");
}
