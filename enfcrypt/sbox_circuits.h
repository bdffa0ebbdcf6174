// Written by enfcrypt/tools/sbox_search.cpp from the S-box tables in des_tables.h; do not edit.
// Each box's circuit of two-input gates (and, and-not, or, xor) xors its four outputs (least
// significant first) into y0 to y3; an output marked in kComplemented arrives complemented.
// The inputs are b[0] to b[5], row from b[0] and b[5], column from b[1] (most significant) to b[4].
// Gates per box: 58, 51, 51, 40, 55, 52, 52, 49; average 51.00.
#pragma once

#include "enfcrypt/sbox_gates.h"

// Internal to each kernel's file, like bitslice_kernel.h that includes it.
namespace quintar::enfcrypt::circuits {
namespace {

constexpr bool kComplemented[8][4] = {
    {false, true, true, true},
    {true, true, true, true},
    {false, true, false, true},
    {true, true, true, false},
    {false, true, false, false},
    {false, false, true, true},
    {false, false, true, false},
    {true, false, true, true}
};

template <int Box>
struct Circuit;

template <>
struct Circuit<0> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[4] ^ b[5];
    const V g1 = b[0] ^ g0;
    const V g2 = b[4] | b[5];
    const V g3 = AndNot(g2, b[2]);
    const V g4 = b[3] & g2;
    const V g5 = g0 ^ g4;
    const V g6 = g1 ^ g3;
    const V g7 = b[0] & g6;
    const V g8 = b[5] | g7;
    const V g9 = b[4] ^ g8;
    const V g10 = AndNot(g8, g3);
    const V g11 = AndNot(g10, b[1]);
    const V g12 = b[3] | g9;
    const V g13 = g6 ^ g12;
    const V g14 = b[0] | b[2];
    const V g15 = g1 & g14;
    const V g16 = b[5] & g15;
    const V g17 = b[2] ^ g6;
    const V g18 = g9 & g17;
    const V g19 = g1 ^ g18;
    const V g20 = AndNot(g19, b[3]);
    const V g21 = g16 ^ g20;
    const V g22 = g1 ^ g21;
    const V g23 = AndNot(g22, b[2]);
    const V g24 = g5 ^ g23;
    const V g25 = b[1] | g21;
    const V g26 = AndNot(g25, g16);
    const V g27 = g13 ^ g25;
    y0 ^= g27;
    const V g28 = g13 & g26;
    const V g29 = g21 ^ g28;
    const V g30 = AndNot(g26, b[3]);
    const V g31 = b[0] & g29;
    const V g32 = b[0] ^ b[2];
    const V g33 = g32 ^ g11;
    const V g34 = g33 ^ g30;
    const V g35 = b[3] | g33;
    const V g36 = b[1] ^ g6;
    const V g37 = g36 ^ g31;
    const V g38 = AndNot(b[4], g37);
    const V g39 = g36 | g35;
    const V g40 = g38 ^ g35;
    const V g41 = g34 ^ g38;
    y2 ^= g41;
    const V g42 = g3 ^ g40;
    const V g43 = AndNot(g39, g3);
    const V g44 = AndNot(g34, g42);
    const V g45 = g6 ^ g44;
    const V g46 = AndNot(g45, b[3]);
    const V g47 = AndNot(b[2], b[3]);
    const V g48 = b[2] ^ g42;
    const V g49 = g6 | g48;
    const V g50 = b[0] & g42;
    const V g51 = g47 ^ g50;
    const V g52 = b[0] & g43;
    const V g53 = b[1] | g51;
    const V g54 = g24 ^ g53;
    y3 ^= g54;
    const V g55 = b[1] ^ g49;
    const V g56 = g55 ^ g46;
    const V g57 = g56 ^ g52;
    y1 ^= g57;
  }
};

template <>
struct Circuit<1> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[4] ^ b[5];
    const V g1 = b[1] ^ g0;
    const V g2 = b[0] ^ g1;
    const V g3 = b[0] & b[4];
    const V g4 = b[5] | g3;
    const V g5 = AndNot(g4, b[5]);
    const V g6 = b[1] | g5;
    const V g7 = g4 ^ g6;
    const V g8 = AndNot(b[4], g6);
    const V g9 = b[1] | g8;
    const V g10 = b[2] & g7;
    const V g11 = g2 ^ g10;
    const V g12 = AndNot(b[4], b[2]);
    const V g13 = b[1] ^ g12;
    const V g14 = AndNot(b[5], g13);
    const V g15 = g7 ^ g14;
    const V g16 = AndNot(b[3], g15);
    const V g17 = g11 ^ g16;
    y2 ^= g17;
    const V g18 = AndNot(g4, b[1]);
    const V g19 = g2 ^ g18;
    const V g20 = AndNot(g19, b[0]);
    const V g21 = AndNot(g13, g20);
    const V g22 = b[3] | g21;
    const V g23 = g19 ^ g22;
    const V g24 = AndNot(b[1], g21);
    const V g25 = b[0] ^ b[1];
    const V g26 = AndNot(g4, g25);
    const V g27 = g7 | g25;
    const V g28 = b[4] ^ g27;
    const V g29 = AndNot(g27, g2);
    const V g30 = g14 | g29;
    const V g31 = AndNot(g28, g15);
    const V g32 = g3 ^ g28;
    const V g33 = b[3] | g31;
    const V g34 = g26 ^ g33;
    const V g35 = b[2] & g34;
    const V g36 = g23 ^ g35;
    y1 ^= g36;
    const V g37 = b[0] ^ g30;
    const V g38 = AndNot(g24, b[0]);
    const V g39 = b[2] | g38;
    const V g40 = AndNot(g37, g1);
    const V g41 = g5 ^ g40;
    const V g42 = AndNot(g32, g24);
    const V g43 = AndNot(b[2], g42);
    const V g44 = AndNot(g9, g32);
    const V g45 = AndNot(g9, b[3]);
    const V g46 = g37 ^ g45;
    const V g47 = g46 ^ g39;
    y3 ^= g47;
    const V g48 = b[3] | g44;
    const V g49 = g41 ^ g48;
    const V g50 = g49 ^ g43;
    y0 ^= g50;
  }
};

template <>
struct Circuit<2> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[2] ^ b[5];
    const V g1 = b[1] ^ g0;
    const V g2 = b[2] ^ b[3];
    const V g3 = AndNot(g2, b[4]);
    const V g4 = g1 ^ g3;
    const V g5 = g2 ^ g4;
    const V g6 = AndNot(b[1], g0);
    const V g7 = b[2] ^ g6;
    const V g8 = AndNot(g7, g0);
    const V g9 = AndNot(g7, b[4]);
    const V g10 = AndNot(g1, g9);
    const V g11 = b[2] ^ g8;
    const V g12 = b[3] | g11;
    const V g13 = AndNot(b[5], g6);
    const V g14 = b[4] ^ g13;
    const V g15 = AndNot(b[3], g9);
    const V g16 = b[5] ^ g15;
    const V g17 = b[3] ^ g14;
    const V g18 = AndNot(g14, b[3]);
    const V g19 = g9 ^ g18;
    const V g20 = AndNot(b[0], g19);
    const V g21 = g4 ^ g20;
    y0 ^= g21;
    const V g22 = b[1] ^ g10;
    const V g23 = b[2] & g22;
    const V g24 = g17 ^ g23;
    const V g25 = b[1] & g16;
    const V g26 = g17 ^ g25;
    const V g27 = g10 | g25;
    const V g28 = g3 | g27;
    const V g29 = g16 ^ g10;
    const V g30 = g5 & g16;
    const V g31 = g30 ^ g12;
    const V g32 = AndNot(g31, b[0]);
    const V g33 = g24 ^ g32;
    y3 ^= g33;
    const V g34 = AndNot(g29, g6);
    const V g35 = b[3] ^ g34;
    const V g36 = b[0] | g35;
    const V g37 = g26 ^ g36;
    const V g38 = AndNot(g28, b[0]);
    const V g39 = g4 ^ g38;
    const V g40 = AndNot(g39, b[2]);
    const V g41 = b[0] ^ g5;
    const V g42 = AndNot(g41, g40);
    const V g43 = g37 ^ g40;
    y1 ^= g43;
    const V g44 = AndNot(g40, g37);
    const V g45 = g13 ^ g44;
    const V g46 = g6 ^ g45;
    const V g47 = b[4] & g46;
    const V g48 = g45 ^ g47;
    const V g49 = b[3] & g48;
    const V g50 = g42 ^ g49;
    y2 ^= g50;
  }
};

template <>
struct Circuit<3> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[0] ^ b[2];
    const V g1 = b[0] & b[2];
    const V g2 = b[3] ^ g1;
    const V g3 = AndNot(g2, b[4]);
    const V g4 = b[2] ^ b[4];
    const V g5 = AndNot(g4, g2);
    const V g6 = AndNot(b[1], g5);
    const V g7 = g0 ^ g3;
    const V g8 = b[0] | g4;
    const V g9 = b[2] ^ g8;
    const V g10 = b[3] & g9;
    const V g11 = g8 ^ g10;
    const V g12 = b[1] & g11;
    const V g13 = g7 ^ g12;
    const V g14 = g0 | g9;
    const V g15 = AndNot(g14, g10);
    const V g16 = b[0] ^ g15;
    const V g17 = g4 ^ g14;
    const V g18 = g0 ^ g17;
    const V g19 = AndNot(b[3], g17);
    const V g20 = g9 ^ g19;
    const V g21 = g20 ^ g6;
    const V g22 = AndNot(g11, g18);
    const V g23 = g3 | g22;
    const V g24 = AndNot(g16, g18);
    const V g25 = b[3] ^ g24;
    const V g26 = b[2] ^ g25;
    const V g27 = b[1] & g16;
    const V g28 = g23 ^ g27;
    const V g29 = g4 & g13;
    const V g30 = AndNot(b[1], g29);
    const V g31 = g26 ^ g30;
    const V g32 = b[5] & g21;
    const V g33 = g13 ^ g32;
    y0 ^= g33;
    const V g34 = g21 ^ g33;
    const V g35 = b[5] ^ g34;
    y1 ^= g35;
    const V g36 = AndNot(b[5], g31);
    const V g37 = g28 ^ g36;
    y3 ^= g37;
    const V g38 = g31 ^ g37;
    const V g39 = b[5] ^ g38;
    y2 ^= g39;
  }
};

template <>
struct Circuit<4> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[2] ^ b[5];
    const V g1 = b[0] & g0;
    const V g2 = b[0] | b[2];
    const V g3 = AndNot(g2, b[5]);
    const V g4 = AndNot(b[3], g3);
    const V g5 = g1 ^ g4;
    const V g6 = b[5] | g3;
    const V g7 = AndNot(g3, b[3]);
    const V g8 = b[3] | g6;
    const V g9 = AndNot(g8, b[1]);
    const V g10 = g5 ^ g9;
    const V g11 = b[2] ^ g7;
    const V g12 = b[0] & g5;
    const V g13 = AndNot(g6, g12);
    const V g14 = b[3] ^ g13;
    const V g15 = AndNot(g12, g7);
    const V g16 = AndNot(g2, g15);
    const V g17 = b[5] ^ g16;
    const V g18 = AndNot(b[2], g14);
    const V g19 = b[1] | g14;
    const V g20 = g11 ^ g19;
    const V g21 = b[4] | g20;
    const V g22 = g10 ^ g21;
    y1 ^= g22;
    const V g23 = b[0] ^ b[5];
    const V g24 = b[0] ^ g11;
    const V g25 = AndNot(g24, g18);
    const V g26 = b[3] | g24;
    const V g27 = AndNot(g26, b[1]);
    const V g28 = g17 ^ g27;
    const V g29 = AndNot(g5, g17);
    const V g30 = b[0] ^ g29;
    const V g31 = g5 ^ g23;
    const V g32 = AndNot(g2, g31);
    const V g33 = b[1] | g32;
    const V g34 = AndNot(b[4], g25);
    const V g35 = g28 ^ g34;
    y2 ^= g35;
    const V g36 = AndNot(g35, g23);
    const V g37 = g1 | g35;
    const V g38 = g11 ^ g37;
    const V g39 = g38 ^ g33;
    const V g40 = g0 ^ g36;
    const V g41 = g0 | g34;
    const V g42 = g21 ^ g41;
    const V g43 = b[3] & g42;
    const V g44 = g40 ^ g43;
    const V g45 = b[3] & g41;
    const V g46 = AndNot(g25, b[4]);
    const V g47 = g46 ^ g45;
    const V g48 = AndNot(b[1], g47);
    const V g49 = g44 ^ g48;
    y3 ^= g49;
    const V g50 = g7 | g44;
    const V g51 = b[1] | g50;
    const V g52 = g30 ^ g51;
    const V g53 = b[4] | g52;
    const V g54 = g39 ^ g53;
    y0 ^= g54;
  }
};

template <>
struct Circuit<5> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[4] ^ b[5];
    const V g1 = b[1] ^ g0;
    const V g2 = b[0] | g0;
    const V g3 = b[0] ^ g1;
    const V g4 = b[1] | b[5];
    const V g5 = g1 ^ g4;
    const V g6 = AndNot(g4, b[4]);
    const V g7 = AndNot(b[0], g6);
    const V g8 = b[4] ^ g7;
    const V g9 = b[0] & g5;
    const V g10 = AndNot(g3, g5);
    const V g11 = g7 ^ g10;
    const V g12 = b[2] ^ g10;
    const V g13 = b[4] ^ g9;
    const V g14 = b[1] ^ g9;
    const V g15 = b[1] ^ g11;
    const V g16 = g8 | g14;
    const V g17 = b[2] | g14;
    const V g18 = b[5] ^ g17;
    const V g19 = b[1] ^ g18;
    const V g20 = g19 ^ g2;
    const V g21 = AndNot(b[2], g8);
    const V g22 = g3 ^ g21;
    const V g23 = b[2] & g16;
    const V g24 = g15 ^ g23;
    const V g25 = AndNot(g24, g11);
    const V g26 = g20 ^ g25;
    const V g27 = AndNot(g13, g3);
    const V g28 = b[3] | g27;
    const V g29 = g24 ^ g28;
    y1 ^= g29;
    const V g30 = g13 & g12;
    const V g31 = AndNot(g26, b[5]);
    const V g32 = g16 ^ g31;
    const V g33 = AndNot(b[4], g26);
    const V g34 = b[1] | g33;
    const V g35 = g30 ^ g34;
    const V g36 = AndNot(b[3], g35);
    const V g37 = g22 ^ g36;
    y2 ^= g37;
    const V g38 = g3 & g36;
    const V g39 = g29 ^ g38;
    const V g40 = b[3] | b[4];
    const V g41 = b[2] | g40;
    const V g42 = g12 ^ g41;
    const V g43 = b[0] ^ g42;
    const V g44 = b[1] | g43;
    const V g45 = g39 ^ g44;
    const V g46 = b[5] & g45;
    const V g47 = b[3] & g32;
    const V g48 = g20 ^ g47;
    y0 ^= g48;
    const V g49 = b[3] ^ g32;
    const V g50 = g49 ^ g41;
    const V g51 = g50 ^ g46;
    y3 ^= g51;
  }
};

template <>
struct Circuit<6> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = AndNot(b[3], b[4]);
    const V g1 = b[3] ^ b[4];
    const V g2 = AndNot(g1, b[0]);
    const V g3 = g0 ^ g2;
    const V g4 = b[0] | g0;
    const V g5 = AndNot(g4, b[2]);
    const V g6 = g3 ^ g5;
    const V g7 = AndNot(b[2], b[0]);
    const V g8 = g6 ^ g7;
    const V g9 = g1 ^ g8;
    const V g10 = AndNot(g0, g8);
    const V g11 = g0 | g9;
    const V g12 = g2 ^ g11;
    const V g13 = AndNot(b[5], g10);
    const V g14 = g12 ^ g13;
    const V g15 = AndNot(b[5], g9);
    const V g16 = g6 ^ g15;
    const V g17 = g4 & g15;
    const V g18 = b[2] ^ g17;
    const V g19 = AndNot(b[1], g18);
    const V g20 = g14 ^ g19;
    y0 ^= g20;
    const V g21 = b[4] & g9;
    const V g22 = AndNot(b[2], b[5]);
    const V g23 = b[3] | g22;
    const V g24 = b[2] & g19;
    const V g25 = AndNot(g16, g19);
    const V g26 = g25 | g24;
    const V g27 = AndNot(b[5], g25);
    const V g28 = b[5] & g26;
    const V g29 = g21 ^ g23;
    const V g30 = b[0] | g29;
    const V g31 = g21 ^ g30;
    const V g32 = AndNot(g31, b[1]);
    const V g33 = g16 ^ g32;
    y3 ^= g33;
    const V g34 = b[1] | b[3];
    const V g35 = g12 ^ g34;
    const V g36 = g35 ^ g27;
    const V g37 = AndNot(g33, g9);
    const V g38 = b[0] ^ g37;
    const V g39 = g38 ^ g28;
    const V g40 = AndNot(g39, b[4]);
    const V g41 = g21 ^ g39;
    const V g42 = g33 ^ g40;
    const V g43 = g23 ^ g42;
    const V g44 = g36 ^ g40;
    y1 ^= g44;
    const V g45 = g9 | g36;
    const V g46 = b[3] ^ g45;
    const V g47 = AndNot(b[5], g46);
    const V g48 = g43 ^ g47;
    const V g49 = b[3] & g41;
    const V g50 = AndNot(b[1], g49);
    const V g51 = g48 ^ g50;
    y2 ^= g51;
  }
};

template <>
struct Circuit<7> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[0] ^ b[2];
    const V g1 = AndNot(b[0], b[2]);
    const V g2 = b[3] ^ g1;
    const V g3 = b[4] | g2;
    const V g4 = g0 ^ g3;
    const V g5 = AndNot(g4, b[0]);
    const V g6 = b[2] ^ g5;
    const V g7 = AndNot(g6, b[4]);
    const V g8 = b[3] ^ g7;
    const V g9 = AndNot(b[1], g8);
    const V g10 = g4 ^ g9;
    const V g11 = b[3] | g5;
    const V g12 = g0 ^ g11;
    const V g13 = b[4] ^ g12;
    const V g14 = AndNot(b[1], g5);
    const V g15 = AndNot(g2, g13);
    const V g16 = g6 ^ g15;
    const V g17 = AndNot(b[1], g16);
    const V g18 = g13 ^ g17;
    const V g19 = b[5] | g18;
    const V g20 = g10 ^ g19;
    y3 ^= g20;
    const V g21 = b[4] | g4;
    const V g22 = g2 ^ g21;
    const V g23 = b[0] & g21;
    const V g24 = g6 | g22;
    const V g25 = AndNot(g24, g8);
    const V g26 = b[2] ^ g25;
    const V g27 = g4 ^ g22;
    const V g28 = b[4] ^ g27;
    const V g29 = b[0] ^ g28;
    const V g30 = g29 ^ g14;
    const V g31 = AndNot(g10, b[3]);
    const V g32 = g1 | g31;
    const V g33 = g31 ^ g23;
    const V g34 = g15 ^ g33;
    const V g35 = b[3] ^ g34;
    const V g36 = AndNot(b[1], g35);
    const V g37 = g26 ^ g36;
    const V g38 = g18 ^ g37;
    const V g39 = AndNot(g23, g38);
    const V g40 = b[5] | g39;
    const V g41 = g30 ^ g40;
    y2 ^= g41;
    const V g42 = AndNot(g32, g41);
    const V g43 = AndNot(b[1], g42);
    const V g44 = b[5] & g37;
    const V g45 = g10 ^ g44;
    y0 ^= g45;
    const V g46 = AndNot(g23, b[5]);
    const V g47 = g22 ^ g46;
    const V g48 = g47 ^ g43;
    y1 ^= g48;
  }
};

}  // namespace
}  // namespace quintar::enfcrypt::circuits

// The search's steps that reached these circuits, which --check replays: per box, the attempt
// kept and the rebuilds kept after it.
// box 0 attempt 432
// box 1 attempt 147
// box 2 attempt 895
// box 2 rebuilds 19
// box 3 attempt 22
// box 4 attempt 310
// box 5 attempt 132
// box 5 rebuilds 9
// box 6 attempt 413
// box 7 attempt 198
// box 7 rebuilds 2
