// Written by enfcrypt/tools/sbox_search.cpp from the S-box tables in des_tables.h; do not edit.
// Each box's circuit of two-input gates (and, and-not, or, xor) xors its four outputs (least
// significant first) into y0 to y3; an output marked in kComplemented arrives complemented.
// The inputs are b[0] to b[5], row from b[0] and b[5], column from b[1] (most significant) to b[4].
// Gates per box: 58, 51, 51, 40, 57, 52, 53, 49; average 51.38.
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
    const V g0 = b[0] ^ b[3];
    const V g1 = b[2] ^ b[3];
    const V g2 = b[0] & g1;
    const V g3 = b[5] | g2;
    const V g4 = g0 ^ g3;
    const V g5 = AndNot(g4, b[3]);
    const V g6 = AndNot(b[2], g5);
    const V g7 = g3 ^ g6;
    const V g8 = AndNot(g5, b[0]);
    const V g9 = AndNot(g7, b[4]);
    const V g10 = g4 ^ g9;
    const V g11 = AndNot(b[0], g3);
    const V g12 = b[5] | g11;
    const V g13 = g7 | g11;
    const V g14 = b[4] | g13;
    const V g15 = b[2] & g12;
    const V g16 = g8 ^ g15;
    const V g17 = AndNot(g4, b[0]);
    const V g18 = g12 ^ g17;
    const V g19 = AndNot(g18, b[4]);
    const V g20 = g16 ^ g19;
    const V g21 = b[1] | g20;
    const V g22 = g10 ^ g21;
    y2 ^= g22;
    const V g23 = g7 & g22;
    const V g24 = g2 | g23;
    const V g25 = b[5] ^ g23;
    const V g26 = AndNot(g7, g25);
    const V g27 = b[3] ^ g24;
    const V g28 = b[1] | g27;
    const V g29 = b[1] ^ b[5];
    const V g30 = g3 & g29;
    const V g31 = AndNot(b[2], g30);
    const V g32 = g29 ^ g26;
    const V g33 = g32 ^ g14;
    const V g34 = AndNot(g29, g22);
    const V g35 = g0 ^ g34;
    const V g36 = b[0] & g22;
    const V g37 = g25 ^ g35;
    const V g38 = AndNot(g4, g37);
    const V g39 = g35 ^ g31;
    const V g40 = b[1] ^ g38;
    const V g41 = g40 ^ g31;
    const V g42 = g25 | g38;
    const V g43 = g21 ^ g42;
    const V g44 = b[0] & g42;
    const V g45 = g4 ^ g44;
    const V g46 = g45 ^ g28;
    const V g47 = b[4] | g43;
    const V g48 = g41 ^ g47;
    y1 ^= g48;
    const V g49 = b[1] & g36;
    const V g50 = AndNot(g49, b[5]);
    const V g51 = AndNot(g39, g50);
    const V g52 = AndNot(g36, b[4]);
    const V g53 = g25 ^ g52;
    const V g54 = b[3] & g53;
    const V g55 = g33 ^ g54;
    y3 ^= g55;
    const V g56 = AndNot(g46, b[4]);
    const V g57 = g51 ^ g56;
    y0 ^= g57;
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
    const V g2 = b[1] & b[2];
    const V g3 = AndNot(b[5], g2);
    const V g4 = b[3] | g3;
    const V g5 = b[2] ^ b[3];
    const V g6 = AndNot(b[2], g2);
    const V g7 = b[0] & g4;
    const V g8 = g1 ^ g7;
    const V g9 = AndNot(b[1], g0);
    const V g10 = g5 ^ g9;
    const V g11 = AndNot(b[0], g10);
    const V g12 = g5 ^ g11;
    const V g13 = b[1] ^ g11;
    const V g14 = b[0] ^ g13;
    const V g15 = AndNot(b[5], g14);
    const V g16 = AndNot(g12, g6);
    const V g17 = AndNot(b[4], g16);
    const V g18 = AndNot(g12, b[4]);
    const V g19 = g8 ^ g18;
    y0 ^= g19;
    const V g20 = AndNot(b[0], b[2]);
    const V g21 = g19 | g20;
    const V g22 = b[0] ^ g21;
    const V g23 = g8 ^ g22;
    const V g24 = b[5] & g23;
    const V g25 = g4 ^ g5;
    const V g26 = b[0] ^ g25;
    const V g27 = g22 | g25;
    const V g28 = g0 ^ g27;
    const V g29 = g0 ^ g4;
    const V g30 = AndNot(b[1], g28);
    const V g31 = g28 | g29;
    const V g32 = b[4] & g31;
    const V g33 = AndNot(g22, g26);
    const V g34 = g5 ^ g33;
    const V g35 = AndNot(g10, g34);
    const V g36 = b[2] ^ g35;
    const V g37 = b[5] & g36;
    const V g38 = g34 ^ g37;
    const V g39 = b[4] | g38;
    const V g40 = g19 ^ g26;
    const V g41 = AndNot(g40, g35);
    const V g42 = g41 ^ g24;
    const V g43 = g42 ^ g17;
    y3 ^= g43;
    const V g44 = g26 ^ g30;
    const V g45 = g44 ^ g32;
    y2 ^= g45;
    const V g46 = g30 & g45;
    const V g47 = g12 ^ g46;
    const V g48 = g7 ^ g47;
    const V g49 = g48 ^ g15;
    const V g50 = g49 ^ g39;
    y1 ^= g50;
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
    const V g0 = AndNot(b[0], b[2]);
    const V g1 = b[3] | g0;
    const V g2 = b[0] ^ g1;
    const V g3 = b[2] & b[3];
    const V g4 = b[5] | g3;
    const V g5 = g2 ^ g4;
    const V g6 = b[2] & g2;
    const V g7 = b[2] ^ b[5];
    const V g8 = AndNot(g7, g0);
    const V g9 = AndNot(g5, g7);
    const V g10 = g1 ^ g9;
    const V g11 = g3 | g9;
    const V g12 = g8 ^ g6;
    const V g13 = b[1] | g11;
    const V g14 = g5 ^ g13;
    const V g15 = b[0] ^ g11;
    const V g16 = AndNot(b[3], g3);
    const V g17 = b[5] | g16;
    const V g18 = g15 ^ g17;
    const V g19 = AndNot(g10, g18);
    const V g20 = AndNot(g17, g11);
    const V g21 = b[3] ^ g19;
    const V g22 = g21 ^ g8;
    const V g23 = g22 ^ g20;
    const V g24 = b[1] | g22;
    const V g25 = b[1] | g23;
    const V g26 = g12 ^ g25;
    const V g27 = b[2] | g21;
    const V g28 = g5 ^ g27;
    const V g29 = AndNot(g21, b[1]);
    const V g30 = g18 ^ g29;
    const V g31 = AndNot(b[4], g30);
    const V g32 = g14 ^ g31;
    y3 ^= g32;
    const V g33 = b[0] | g19;
    const V g34 = b[3] ^ g33;
    const V g35 = AndNot(g34, g14);
    const V g36 = g15 ^ g35;
    const V g37 = g11 | g36;
    const V g38 = b[1] | g36;
    const V g39 = g34 ^ g38;
    const V g40 = AndNot(g37, g16);
    const V g41 = g40 ^ g24;
    const V g42 = AndNot(b[4], g41);
    const V g43 = g39 ^ g42;
    y1 ^= g43;
    const V g44 = g34 & g37;
    const V g45 = g3 ^ g44;
    const V g46 = AndNot(g37, b[1]);
    const V g47 = b[1] | g28;
    const V g48 = g45 ^ g47;
    const V g49 = AndNot(g48, b[4]);
    const V g50 = g26 ^ g49;
    y0 ^= g50;
    const V g51 = g19 ^ g28;
    const V g52 = b[0] ^ g51;
    const V g53 = g52 ^ g46;
    const V g54 = AndNot(g19, g3);
    const V g55 = b[4] | g54;
    const V g56 = g53 ^ g55;
    y2 ^= g56;
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
    const V g0 = b[1] & b[3];
    const V g1 = b[4] ^ g0;
    const V g2 = b[2] ^ g1;
    const V g3 = b[3] & g1;
    const V g4 = b[1] ^ g3;
    const V g5 = b[2] & g4;
    const V g6 = b[5] | g5;
    const V g7 = g2 ^ g6;
    const V g8 = b[4] & g2;
    const V g9 = b[2] ^ b[3];
    const V g10 = AndNot(g9, b[4]);
    const V g11 = b[2] ^ g10;
    const V g12 = AndNot(b[1], g11);
    const V g13 = g10 ^ g12;
    const V g14 = b[1] ^ g10;
    const V g15 = b[2] | g14;
    const V g16 = g14 ^ g8;
    const V g17 = g3 ^ g7;
    const V g18 = g17 & g14;
    const V g19 = b[5] | g17;
    const V g20 = g13 ^ g19;
    const V g21 = b[1] ^ g18;
    const V g22 = b[0] & g20;
    const V g23 = g7 ^ g22;
    y3 ^= g23;
    const V g24 = b[3] ^ b[4];
    const V g25 = b[0] ^ g24;
    const V g26 = g25 ^ g15;
    const V g27 = b[4] ^ g23;
    const V g28 = AndNot(g9, g27);
    const V g29 = g3 | g9;
    const V g30 = AndNot(g21, g3);
    const V g31 = AndNot(g30, b[0]);
    const V g32 = AndNot(g21, g31);
    const V g33 = AndNot(b[5], g32);
    const V g34 = g26 ^ g33;
    y0 ^= g34;
    const V g35 = g23 | g34;
    const V g36 = g11 ^ g35;
    const V g37 = b[3] ^ g36;
    const V g38 = b[1] ^ g29;
    const V g39 = b[1] & g37;
    const V g40 = g26 ^ g39;
    const V g41 = b[0] ^ g39;
    const V g42 = AndNot(b[5], g41);
    const V g43 = b[5] & g40;
    const V g44 = g16 ^ g43;
    const V g45 = AndNot(b[5], g28);
    const V g46 = g20 ^ g38;
    const V g47 = g46 ^ g45;
    const V g48 = b[0] | g38;
    const V g49 = g7 ^ g48;
    const V g50 = g49 ^ g42;
    y2 ^= g50;
    const V g51 = b[0] & g47;
    const V g52 = g44 ^ g51;
    y1 ^= g52;
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
// box 0 attempt 44
// box 0 rebuilds 525
// box 1 attempt 147
// box 2 attempt 150
// box 2 rebuilds 30 74
// box 3 attempt 22
// box 4 attempt 60
// box 5 attempt 132
// box 5 rebuilds 9
// box 6 attempt 21
// box 6 rebuilds 5
// box 7 attempt 198
// box 7 rebuilds 2
