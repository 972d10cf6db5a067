#pragma once

// The two sample finger templates the test tool writes to a terminal: both
// are the same finger (finger 0 of enroll number 1) in the emulated
// terminals' own template format (FingerTemplate), read twice.
struct SampleTemplates {
    // 394 bytes as 788 upper-case hexadecimal characters ("Button2").
    static const char* const Hex394;
    // 438 bytes as 584 Base64 characters ("SetEnrollDataStr").
    static const char* const Base64_438;
};
