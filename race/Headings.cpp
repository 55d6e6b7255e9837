// The tilt table. Its values are the C library's sin and cos of (double)Heading * AngleUnit on
// x86-64 (glibc), printed exactly with %a; a test compares them with the C library of the machine
// it runs on.
#include "race/Headings.h"

#include <cmath>

#include "race/Boat.h"

namespace {

struct TSinCos {
    double Sin, Cos;
};

constexpr TSinCos Table[MaxHeading - MinHeading + 1] = {
    {-0x1.26d054cdd12dfp-1, 0x1.a29a7a0462782p-1}, // -25
    {-0x1.1c73b39ae68c8p-1, 0x1.a9b66290ea1a3p-1}, // -24
    {-0x1.11eb3541b4b22p-1, 0x1.b090a581502p-1},   // -23
    {-0x1.073879922ffedp-1, 0x1.b728345196e3ep-1}, // -22
    {-0x1.f8ba4dbf89abap-2, 0x1.bd7c0ac6f952ap-1}, // -21
    {-0x1.e2b5d3806f63bp-2, 0x1.c38b2f180bdb1p-1}, // -20
    {-0x1.cc66e9931c45dp-2, 0x1.c954b213411f5p-1}, // -19
    {-0x1.b5d1009e15ccp-2, 0x1.ced7af43cc773p-1},  // -18
    {-0x1.9ef7943a8ed8ap-2, 0x1.d4134d14dc93ap-1}, // -17
    {-0x1.87de2a6aea963p-2, 0x1.d906bcf328d46p-1}, // -16
    {-0x1.7088530fa459ep-2, 0x1.ddb13b6ccc23dp-1}, // -15
    {-0x1.58f9a75ab1fddp-2, 0x1.e212104f686e5p-1}, // -14
    {-0x1.4135c94176602p-2, 0x1.e6288ec48e112p-1}, // -13
    {-0x1.294062ed59f05p-2, 0x1.e9f4156c62ddap-1}, // -12
    {-0x1.111d262b1f677p-2, 0x1.ed740e7684963p-1}, // -11
    {-0x1.f19f97b215f1ap-3, 0x1.f0a7efb9230d7p-1}, // -10
    {-0x1.c0b826a7e4f63p-3, 0x1.f38f3ac64e589p-1}, // -9
    {-0x1.8f8b83c69a60ap-3, 0x1.f6297cff75cbp-1},  // -8
    {-0x1.5e214448b3fc6p-3, 0x1.f8764fa714ba9p-1}, // -7
    {-0x1.2c8106e8e613ap-3, 0x1.fa7557f08a517p-1}, // -6
    {-0x1.f564e56a9730ep-4, 0x1.fc26470e19fd3p-1}, // -5
    {-0x1.917a6bc29b42cp-4, 0x1.fd88da3d12526p-1}, // -4
    {-0x1.2d52092ce19f6p-4, 0x1.fe9cdad01883ap-1}, // -3
    {-0x1.91f65f10dd814p-5, 0x1.ff621e3796d7ep-1}, // -2
    {-0x1.92155f7a3667ep-6, 0x1.ffd886084cd0dp-1}, // -1
    {0x0p+0, 0x1p+0},                              // 0
    {0x1.92155f7a3667ep-6, 0x1.ffd886084cd0dp-1},  // 1
    {0x1.91f65f10dd814p-5, 0x1.ff621e3796d7ep-1},  // 2
    {0x1.2d52092ce19f6p-4, 0x1.fe9cdad01883ap-1},  // 3
    {0x1.917a6bc29b42cp-4, 0x1.fd88da3d12526p-1},  // 4
    {0x1.f564e56a9730ep-4, 0x1.fc26470e19fd3p-1},  // 5
    {0x1.2c8106e8e613ap-3, 0x1.fa7557f08a517p-1},  // 6
    {0x1.5e214448b3fc6p-3, 0x1.f8764fa714ba9p-1},  // 7
    {0x1.8f8b83c69a60ap-3, 0x1.f6297cff75cbp-1},   // 8
    {0x1.c0b826a7e4f63p-3, 0x1.f38f3ac64e589p-1},  // 9
    {0x1.f19f97b215f1ap-3, 0x1.f0a7efb9230d7p-1},  // 10
    {0x1.111d262b1f677p-2, 0x1.ed740e7684963p-1},  // 11
    {0x1.294062ed59f05p-2, 0x1.e9f4156c62ddap-1},  // 12
    {0x1.4135c94176602p-2, 0x1.e6288ec48e112p-1},  // 13
    {0x1.58f9a75ab1fddp-2, 0x1.e212104f686e5p-1},  // 14
    {0x1.7088530fa459ep-2, 0x1.ddb13b6ccc23dp-1},  // 15
    {0x1.87de2a6aea963p-2, 0x1.d906bcf328d46p-1},  // 16
    {0x1.9ef7943a8ed8ap-2, 0x1.d4134d14dc93ap-1},  // 17
    {0x1.b5d1009e15ccp-2, 0x1.ced7af43cc773p-1},   // 18
    {0x1.cc66e9931c45dp-2, 0x1.c954b213411f5p-1},  // 19
    {0x1.e2b5d3806f63bp-2, 0x1.c38b2f180bdb1p-1},  // 20
    {0x1.f8ba4dbf89abap-2, 0x1.bd7c0ac6f952ap-1},  // 21
    {0x1.073879922ffedp-1, 0x1.b728345196e3ep-1},  // 22
    {0x1.11eb3541b4b22p-1, 0x1.b090a581502p-1},    // 23
    {0x1.1c73b39ae68c8p-1, 0x1.a9b66290ea1a3p-1},  // 24
    {0x1.26d054cdd12dfp-1, 0x1.a29a7a0462782p-1},  // 25
};

bool InTable(int32_t heading) {
    return heading >= MinHeading && heading <= MaxHeading;
}

} // namespace

double HeadingSin(int32_t heading) {
    return InTable(heading) ? Table[heading - MinHeading].Sin : std::sin(heading * AngleUnit);
}

double HeadingCos(int32_t heading) {
    return InTable(heading) ? Table[heading - MinHeading].Cos : std::cos(heading * AngleUnit);
}
