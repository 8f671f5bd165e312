// rte/mbs_testing.h - test controls of the multi-byte text functions (C++).
//
// Tests run their multi-byte cases under code page 932 as well as 0; ScopedCodePage switches
// the process-wide code page for the scope of a test and restores it after:
//
//     rte::testing::ScopedCodePage cp(932);
//     EXPECT_EQ(Rte_mbslen("\x82\xA0" "a"), 2u);
#ifndef RTE_MBS_TESTING_H
#define RTE_MBS_TESTING_H

namespace rte::testing {

// Sets RteSystemCodePage (0, 932, 936, 949 or 950; other values are ignored). Returns the old one.
int SetSystemCodePage(int codePage);

class ScopedCodePage {
public:
    explicit ScopedCodePage(int codePage) : old_(SetSystemCodePage(codePage)) {}
    ~ScopedCodePage() { SetSystemCodePage(old_); }
    ScopedCodePage(const ScopedCodePage &) = delete;
    ScopedCodePage &operator=(const ScopedCodePage &) = delete;

private:
    int old_;
};

// The code page the engine picks at start-up for these environment values (each may be null):
// RTE_CODEPAGE wins when it is 0, 932, 936, 949 or 950 (any other value is reported on standard
// error and ignored); otherwise the codeset of the first non-empty of LC_ALL, LC_CTYPE, LANG.
int DetectCodePage(const char *rteCodePage, const char *lcAll, const char *lcCtype, const char *lang);

}  // namespace rte::testing

#endif
