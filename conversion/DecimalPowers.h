#pragma once

// Extended values nearest to powers of ten (ties to even), written as exact hexadecimal literals so that no
// library routine or compile-time rounding can move a bit. Decimal scaling multiplies or divides by up to one
// entry of each table, in the order small, medium, large.

namespace metrazil {

// 10^k for k = 0..31.
inline constexpr long double kPow10Small[32] = {
    0x8.000000000000000p-3L,   // 1e0
    0xA.000000000000000p+0L,   // 1e1
    0xC.800000000000000p+3L,   // 1e2
    0xF.A00000000000000p+6L,   // 1e3
    0x9.C40000000000000p+10L,  // 1e4
    0xC.350000000000000p+13L,  // 1e5
    0xF.424000000000000p+16L,  // 1e6
    0x9.896800000000000p+20L,  // 1e7
    0xB.EBC200000000000p+23L,  // 1e8
    0xE.E6B280000000000p+26L,  // 1e9
    0x9.502F90000000000p+30L,  // 1e10
    0xB.A43B74000000000p+33L,  // 1e11
    0xE.8D4A51000000000p+36L,  // 1e12
    0x9.184E72A00000000p+40L,  // 1e13
    0xB.5E620F480000000p+43L,  // 1e14
    0xE.35FA931A0000000p+46L,  // 1e15
    0x8.E1BC9BF04000000p+50L,  // 1e16
    0xB.1A2BC2EC5000000p+53L,  // 1e17
    0xD.E0B6B3A76400000p+56L,  // 1e18
    0x8.AC7230489E80000p+60L,  // 1e19
    0xA.D78EBC5AC620000p+63L,  // 1e20
    0xD.8D726B7177A8000p+66L,  // 1e21
    0x8.78678326EAC9000p+70L,  // 1e22
    0xA.968163F0A57B400p+73L,  // 1e23
    0xD.3C21BCECCEDA100p+76L,  // 1e24
    0x8.4595161401484A0p+80L,  // 1e25
    0xA.56FA5B99019A5C8p+83L,  // 1e26
    0xC.ECB8F27F4200F3Ap+86L,  // 1e27
    0x8.13F3978F8940984p+90L,  // 1e28
    0xA.18F07D736B90BE5p+93L,  // 1e29
    0xC.9F2C9CD04674EDFp+96L,  // 1e30
    0xF.C6F7C4045812296p+99L,  // 1e31
};

// 10^(32 j) for j = 0..15.
inline constexpr long double kPow10Medium[16] = {
    0x8.000000000000000p-3L,     // 1e0
    0x9.DC5ADA82B70B59Ep+103L,   // 1e32
    0xC.2781F49FFCFA6D5p+209L,   // 1e64
    0xE.FB3AB16C59B14A3p+315L,   // 1e96
    0x9.3BA47C980E98CE0p+422L,   // 1e128
    0xB.616A12B7FE617AAp+528L,   // 1e160
    0xE.070F78D3927556Bp+634L,   // 1e192
    0x8.A5296FFE33CC930p+741L,   // 1e224
    0xA.A7EEBFB9DF9DE8Ep+847L,   // 1e256
    0xD.226FC195C6A2F8Cp+953L,   // 1e288
    0x8.1842F29F2CCE376p+1060L,  // 1e320
    0x9.FA42700DB900AD2p+1166L,  // 1e352
    0xC.4C5E310AEF8AA17p+1272L,  // 1e384
    0xF.28A9C07E9B09C59p+1378L,  // 1e416
    0x9.57A4AE1EBF7F3D4p+1485L,  // 1e448
    0xB.83ED8DC0795A262p+1591L,  // 1e480
};

// 10^(512 j) for j = 0..9; scaling by 10^5120 or more is not needed.
inline constexpr long double kPow10Large[10] = {
    0x8.000000000000000p-3L,      // 1e0
    0xE.319A0AEA60E91C7p+1697L,   // 1e512
    0xC.976758681750C17p+3398L,   // 1e1024
    0xB.2B8353B3993A7E4p+5099L,   // 1e1536
    0x9.E8B3B5DC53D5DE5p+6800L,   // 1e2048
    0x8.CA554C020A1F0A6p+8501L,   // 1e2560
    0xF.9895D25D88B5A8Bp+10201L,  // 1e3072
    0xD.D5DC8A2BF27F3F8p+11902L,  // 1e3584
    0xC.46052028A20979Bp+13603L,  // 1e4096
    0xA.E3511626ED559F0p+15304L,  // 1e4608
};

}  // namespace metrazil
