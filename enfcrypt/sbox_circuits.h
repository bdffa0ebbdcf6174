// Written by enfcrypt/tools/sbox_search.cpp from the S-box tables in des_tables.h; do not edit.
// Each box's circuit of two-input gates (and, and-not, or, xor) xors its four outputs (least
// significant first) into y0 to y3; an output marked in kComplemented arrives complemented.
// The inputs are b[0] to b[5], row from b[0] and b[5], column from b[1] (most significant) to b[4].
// Gates per box: 64, 55, 57, 43, 59, 58, 56, 51; average 55.38.
#pragma once

namespace quintar::enfcrypt::circuits {

inline constexpr int kGates[8] = {64, 55, 57, 43, 59, 58, 56, 51};

inline constexpr bool kComplemented[8][4] = {
    {false, true, true, true},
    {true, true, true, true},
    {false, true, false, true},
    {true, true, true, false},
    {false, true, false, false},
    {false, false, true, true},
    {false, false, true, false},
    {true, false, true, true}
};

// a & ~b. A kernel gives its own for its vector type, the instruction itself: written out, a
// compiler computes a ~b that several gates use once, and then plain ands, an instruction more.
template <typename V>
[[gnu::always_inline]] constexpr V AndNot(V a, V b) {
  return a & ~b;
}

template <int Box>
struct Circuit;

template <>
struct Circuit<0> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = AndNot(b[3], b[5]);
    const V g1 = b[2] | g0;
    const V g2 = b[5] ^ g1;
    const V g3 = b[0] & g2;
    const V g4 = b[3] ^ g3;
    const V g5 = b[0] | g0;
    const V g6 = b[3] ^ g5;
    const V g7 = g2 ^ g5;
    const V g8 = AndNot(g7, b[2]);
    const V g9 = g6 ^ g8;
    const V g10 = b[2] | g2;
    const V g11 = AndNot(b[1], g9);
    const V g12 = g4 ^ g11;
    const V g13 = b[2] ^ b[5];
    const V g14 = g0 | g4;
    const V g15 = g4 & g5;
    const V g16 = g5 | g9;
    const V g17 = b[5] ^ g16;
    const V g18 = AndNot(g16, g0);
    const V g19 = AndNot(b[1], g17);
    const V g20 = AndNot(b[0], g14);
    const V g21 = g13 ^ g20;
    const V g22 = g21 ^ g19;
    const V g23 = b[4] & g22;
    const V g24 = g12 ^ g23;
    y0 ^= g24;
    const V g25 = g13 | g18;
    const V g26 = AndNot(g25, g6);
    const V g27 = AndNot(b[2], g23);
    const V g28 = AndNot(g10, g27);
    const V g29 = b[0] | g10;
    const V g30 = b[1] & g29;
    const V g31 = AndNot(g15, b[2]);
    const V g32 = g18 ^ g31;
    const V g33 = g32 ^ g30;
    const V g34 = AndNot(b[0], b[3]);
    const V g35 = b[2] | g34;
    const V g36 = g15 ^ g35;
    const V g37 = g24 | g33;
    const V g38 = AndNot(b[1], g37);
    const V g39 = g36 ^ g38;
    const V g40 = g9 | g39;
    const V g41 = AndNot(b[4], g39);
    const V g42 = g33 ^ g41;
    y1 ^= g42;
    const V g43 = b[0] ^ b[3];
    const V g44 = AndNot(g1, g43);
    const V g45 = AndNot(g28, b[3]);
    const V g46 = AndNot(g24, g42);
    const V g47 = g44 | g46;
    const V g48 = g20 ^ g47;
    const V g49 = b[1] & g48;
    const V g50 = g26 ^ g49;
    const V g51 = g18 ^ g46;
    const V g52 = g28 & g51;
    const V g53 = AndNot(b[1], g46);
    const V g54 = g14 ^ g53;
    const V g55 = b[0] & g54;
    const V g56 = g40 ^ g55;
    const V g57 = b[4] & g56;
    const V g58 = g50 ^ g57;
    y2 ^= g58;
    const V g59 = g42 ^ g58;
    const V g60 = g24 ^ g59;
    const V g61 = g60 ^ g45;
    const V g62 = AndNot(b[1], g52);
    const V g63 = g61 ^ g62;
    y3 ^= g63;
  }
};

template <>
struct Circuit<1> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = AndNot(b[1], b[3]);
    const V g1 = b[2] ^ g0;
    const V g2 = AndNot(b[1], b[2]);
    const V g3 = AndNot(b[3], b[1]);
    const V g4 = AndNot(b[4], g3);
    const V g5 = g1 ^ g4;
    const V g6 = b[3] ^ g1;
    const V g7 = AndNot(b[4], g6);
    const V g8 = g2 | g7;
    const V g9 = b[1] ^ b[3];
    const V g10 = b[1] ^ g5;
    const V g11 = AndNot(b[4], g10);
    const V g12 = g9 ^ g11;
    const V g13 = g5 & g9;
    const V g14 = b[1] ^ g13;
    const V g15 = b[3] & g12;
    const V g16 = g8 ^ g15;
    const V g17 = AndNot(g8, b[5]);
    const V g18 = g1 & g16;
    const V g19 = b[4] | g2;
    const V g20 = g14 ^ g19;
    const V g21 = b[5] | g2;
    const V g22 = g5 ^ g21;
    const V g23 = AndNot(g14, b[5]);
    const V g24 = g16 ^ g23;
    const V g25 = AndNot(b[4], g12);
    const V g26 = b[1] ^ g25;
    const V g27 = g26 ^ g17;
    const V g28 = AndNot(b[0], g27);
    const V g29 = g22 ^ g28;
    y3 ^= g29;
    const V g30 = g29 ^ g18;
    const V g31 = AndNot(g20, g29);
    const V g32 = AndNot(g30, b[5]);
    const V g33 = g31 ^ g32;
    const V g34 = b[0] & g33;
    const V g35 = b[5] & g20;
    const V g36 = g16 ^ g26;
    const V g37 = g5 ^ g36;
    const V g38 = AndNot(g16, g26);
    const V g39 = g6 ^ g38;
    const V g40 = AndNot(g16, g39);
    const V g41 = AndNot(g39, b[5]);
    const V g42 = g12 ^ g41;
    const V g43 = g42 ^ g34;
    y0 ^= g43;
    const V g44 = AndNot(g37, g40);
    const V g45 = g44 ^ g35;
    const V g46 = AndNot(b[0], g45);
    const V g47 = g24 ^ g46;
    y1 ^= g47;
    const V g48 = b[0] ^ g37;
    const V g49 = AndNot(g36, g47);
    const V g50 = b[3] ^ g49;
    const V g51 = AndNot(b[4], g50);
    const V g52 = g10 ^ g51;
    const V g53 = b[5] | g52;
    const V g54 = g48 ^ g53;
    y2 ^= g54;
  }
};

template <>
struct Circuit<2> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[1] ^ b[2];
    const V g1 = b[1] | b[2];
    const V g2 = b[5] ^ g1;
    const V g3 = b[0] & g2;
    const V g4 = g0 ^ g3;
    const V g5 = b[0] | g2;
    const V g6 = b[3] & g5;
    const V g7 = g4 ^ g6;
    const V g8 = AndNot(b[3], b[0]);
    const V g9 = b[2] ^ g8;
    const V g10 = AndNot(b[1], g4);
    const V g11 = b[2] ^ g10;
    const V g12 = AndNot(b[0], g11);
    const V g13 = g9 ^ g12;
    const V g14 = g2 | g12;
    const V g15 = b[3] ^ g14;
    const V g16 = AndNot(g9, g4);
    const V g17 = AndNot(g16, b[5]);
    const V g18 = b[5] & g4;
    const V g19 = AndNot(g1, g18);
    const V g20 = AndNot(b[0], g18);
    const V g21 = AndNot(g20, b[3]);
    const V g22 = b[5] ^ g13;
    const V g23 = g0 ^ g22;
    const V g24 = b[0] ^ g23;
    const V g25 = g2 & g22;
    const V g26 = b[4] & g25;
    const V g27 = AndNot(b[2], b[3]);
    const V g28 = AndNot(g27, b[0]);
    const V g29 = g28 ^ g17;
    const V g30 = AndNot(g15, g28);
    const V g31 = g13 ^ g30;
    const V g32 = AndNot(b[4], g29);
    const V g33 = g7 ^ g32;
    y3 ^= g33;
    const V g34 = b[4] & g13;
    const V g35 = g24 ^ g34;
    const V g36 = g35 ^ g21;
    y0 ^= g36;
    const V g37 = b[2] | g33;
    const V g38 = b[5] ^ g37;
    const V g39 = b[2] ^ g15;
    const V g40 = AndNot(g31, g39);
    const V g41 = AndNot(b[4], g38);
    const V g42 = b[0] ^ b[1];
    const V g43 = g22 | g42;
    const V g44 = AndNot(g43, g26);
    const V g45 = AndNot(g44, b[3]);
    const V g46 = AndNot(g31, g22);
    const V g47 = g7 ^ g46;
    const V g48 = b[1] & g31;
    const V g49 = g15 ^ g48;
    const V g50 = AndNot(b[1], g47);
    const V g51 = g40 ^ g50;
    const V g52 = b[4] | g51;
    const V g53 = g49 ^ g52;
    y1 ^= g53;
    const V g54 = g47 ^ g19;
    const V g55 = g54 ^ g41;
    const V g56 = g55 ^ g45;
    y2 ^= g56;
  }
};

template <>
struct Circuit<3> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[3] ^ b[4];
    const V g1 = AndNot(b[4], b[3]);
    const V g2 = b[2] ^ g1;
    const V g3 = AndNot(g2, b[1]);
    const V g4 = g0 ^ g3;
    const V g5 = AndNot(b[1], g2);
    const V g6 = AndNot(b[2], b[4]);
    const V g7 = AndNot(g5, b[3]);
    const V g8 = g6 | g7;
    const V g9 = g0 ^ g5;
    const V g10 = AndNot(b[0], g8);
    const V g11 = g4 ^ g10;
    const V g12 = g8 ^ g11;
    const V g13 = AndNot(g10, g4);
    const V g14 = b[3] | b[4];
    const V g15 = b[4] | g4;
    const V g16 = b[3] ^ g15;
    const V g17 = b[2] & g16;
    const V g18 = g14 ^ g17;
    const V g19 = b[2] ^ b[4];
    const V g20 = b[2] & g4;
    const V g21 = b[3] & g20;
    const V g22 = b[0] | g19;
    const V g23 = g0 ^ g22;
    const V g24 = AndNot(g23, b[1]);
    const V g25 = g18 ^ g13;
    const V g26 = b[1] | g25;
    const V g27 = AndNot(b[0], g18);
    const V g28 = b[0] ^ g12;
    const V g29 = g28 ^ g24;
    const V g30 = g9 ^ g12;
    const V g31 = AndNot(g30, g1);
    const V g32 = g31 ^ g26;
    const V g33 = g9 ^ g27;
    const V g34 = g33 ^ g21;
    const V g35 = b[5] | g32;
    const V g36 = g29 ^ g35;
    y3 ^= g36;
    const V g37 = g32 ^ g36;
    const V g38 = b[5] ^ g37;
    y2 ^= g38;
    const V g39 = b[5] | g34;
    const V g40 = g11 ^ g39;
    y1 ^= g40;
    const V g41 = g34 ^ g40;
    const V g42 = b[5] ^ g41;
    y0 ^= g42;
  }
};

template <>
struct Circuit<4> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[3] | b[5];
    const V g1 = b[0] & g0;
    const V g2 = b[3] ^ g1;
    const V g3 = AndNot(g2, b[5]);
    const V g4 = b[0] | g3;
    const V g5 = b[2] & g4;
    const V g6 = g2 ^ g5;
    const V g7 = b[3] & g4;
    const V g8 = b[2] | g0;
    const V g9 = b[0] | g8;
    const V g10 = AndNot(g9, g0);
    const V g11 = AndNot(g9, b[1]);
    const V g12 = g6 ^ g11;
    const V g13 = g12 ^ g7;
    const V g14 = b[1] | g13;
    const V g15 = b[2] ^ g10;
    const V g16 = g15 ^ g14;
    const V g17 = AndNot(b[5], b[3]);
    const V g18 = AndNot(b[2], g17);
    const V g19 = b[5] ^ g18;
    const V g20 = b[3] ^ g18;
    const V g21 = AndNot(b[0], g20);
    const V g22 = g19 ^ g21;
    const V g23 = b[0] ^ g15;
    const V g24 = AndNot(g23, g18);
    const V g25 = g19 | g24;
    const V g26 = g23 ^ g25;
    const V g27 = b[0] & g22;
    const V g28 = AndNot(g6, g27);
    const V g29 = AndNot(g28, g3);
    const V g30 = g3 ^ g15;
    const V g31 = g30 | g27;
    const V g32 = g5 ^ g31;
    const V g33 = AndNot(b[1], g29);
    const V g34 = g32 ^ g33;
    const V g35 = b[4] | g30;
    const V g36 = g26 ^ g35;
    const V g37 = b[4] | g24;
    const V g38 = g22 ^ g37;
    const V g39 = b[3] | g23;
    const V g40 = AndNot(b[3], g21);
    const V g41 = b[2] ^ g40;
    const V g42 = g16 | g21;
    const V g43 = b[2] ^ g42;
    const V g44 = AndNot(g15, g41);
    const V g45 = g26 ^ g44;
    const V g46 = AndNot(b[1], g45);
    const V g47 = g43 ^ g46;
    const V g48 = b[4] | g47;
    const V g49 = g34 ^ g48;
    y3 ^= g49;
    const V g50 = g10 | g49;
    const V g51 = b[4] | g50;
    const V g52 = g41 ^ g51;
    const V g53 = b[4] | g16;
    const V g54 = g12 ^ g53;
    y1 ^= g54;
    const V g55 = AndNot(g52, b[1]);
    const V g56 = g36 ^ g55;
    y0 ^= g56;
    const V g57 = AndNot(g39, b[1]);
    const V g58 = g38 ^ g57;
    y2 ^= g58;
  }
};

template <>
struct Circuit<5> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = b[0] | b[4];
    const V g1 = b[1] ^ g0;
    const V g2 = b[0] ^ b[4];
    const V g3 = b[2] & g2;
    const V g4 = g1 ^ g3;
    const V g5 = AndNot(b[4], b[1]);
    const V g6 = AndNot(b[2], g1);
    const V g7 = g2 ^ g6;
    const V g8 = g5 | g6;
    const V g9 = AndNot(b[0], g8);
    const V g10 = g8 | g9;
    const V g11 = AndNot(g4, g8);
    const V g12 = b[1] | g11;
    const V g13 = b[0] & g12;
    const V g14 = g3 | g13;
    const V g15 = b[1] ^ g14;
    const V g16 = b[0] ^ g15;
    const V g17 = AndNot(g14, g5);
    const V g18 = b[0] ^ g17;
    const V g19 = AndNot(b[3], g18);
    const V g20 = b[5] & g10;
    const V g21 = g4 ^ g20;
    const V g22 = g1 ^ g7;
    const V g23 = AndNot(g7, g1);
    const V g24 = b[3] & g23;
    const V g25 = b[4] ^ g22;
    const V g26 = g10 & g25;
    const V g27 = b[5] & g26;
    const V g28 = g22 ^ g27;
    const V g29 = AndNot(g28, b[3]);
    const V g30 = g21 ^ g29;
    y0 ^= g30;
    const V g31 = g30 ^ g14;
    const V g32 = g10 & g31;
    const V g33 = AndNot(b[5], g31);
    const V g34 = b[2] ^ b[4];
    const V g35 = b[2] | b[4];
    const V g36 = g35 ^ g33;
    const V g37 = g34 ^ g13;
    const V g38 = g34 ^ g32;
    const V g39 = g38 ^ g19;
    const V g40 = g21 & g37;
    const V g41 = g6 ^ g40;
    const V g42 = AndNot(g36, b[3]);
    const V g43 = AndNot(b[5], g41);
    const V g44 = g22 ^ g43;
    const V g45 = g44 ^ g42;
    y3 ^= g45;
    const V g46 = AndNot(g0, g44);
    const V g47 = AndNot(g46, g9);
    const V g48 = AndNot(b[5], g46);
    const V g49 = g37 ^ g48;
    const V g50 = g37 ^ g41;
    const V g51 = g50 ^ g24;
    const V g52 = b[5] & g47;
    const V g53 = g16 ^ g52;
    const V g54 = b[3] | g53;
    const V g55 = g49 ^ g54;
    y2 ^= g55;
    const V g56 = b[5] | g51;
    const V g57 = g39 ^ g56;
    y1 ^= g57;
  }
};

template <>
struct Circuit<6> {
  template <typename V>
  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {
    const V g0 = AndNot(b[3], b[4]);
    const V g1 = b[2] ^ g0;
    const V g2 = b[2] ^ b[3];
    const V g3 = b[4] & g2;
    const V g4 = b[1] | g3;
    const V g5 = g1 ^ g4;
    const V g6 = AndNot(g5, g2);
    const V g7 = AndNot(b[4], b[3]);
    const V g8 = b[2] ^ g7;
    const V g9 = b[1] ^ g7;
    const V g10 = b[0] ^ g9;
    const V g11 = b[5] & g8;
    const V g12 = g5 ^ g11;
    const V g13 = AndNot(g8, g0);
    const V g14 = AndNot(g1, g8);
    const V g15 = b[2] ^ g14;
    const V g16 = b[1] | g15;
    const V g17 = g13 ^ g16;
    const V g18 = b[5] ^ g1;
    const V g19 = b[3] ^ g18;
    const V g20 = g5 ^ g17;
    const V g21 = b[1] ^ b[4];
    const V g22 = b[3] & g21;
    const V g23 = g20 ^ g22;
    const V g24 = AndNot(b[5], g23);
    const V g25 = g17 ^ g24;
    const V g26 = AndNot(g25, b[0]);
    const V g27 = g12 ^ g26;
    y3 ^= g27;
    const V g28 = g27 ^ g6;
    const V g29 = b[4] ^ g28;
    const V g30 = AndNot(b[5], g6);
    const V g31 = g20 ^ g30;
    const V g32 = AndNot(g24, g12);
    const V g33 = g13 ^ g32;
    const V g34 = AndNot(b[3], g33);
    const V g35 = g29 ^ g34;
    const V g36 = b[0] | g35;
    const V g37 = g31 ^ g36;
    y2 ^= g37;
    const V g38 = g12 ^ g37;
    const V g39 = b[1] ^ g0;
    const V g40 = AndNot(b[2], g39);
    const V g41 = g10 ^ g40;
    const V g42 = b[1] & g0;
    const V g43 = g31 | g38;
    const V g44 = g41 ^ g43;
    const V g45 = b[5] & g44;
    const V g46 = g5 ^ g45;
    const V g47 = b[1] | g46;
    const V g48 = g19 ^ g47;
    const V g49 = g31 & g46;
    const V g50 = AndNot(g38, b[0]);
    const V g51 = g48 ^ g50;
    y1 ^= g51;
    const V g52 = b[0] & g49;
    const V g53 = g42 | g52;
    const V g54 = AndNot(b[5], g53);
    const V g55 = g41 ^ g54;
    y0 ^= g55;
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
    const V g7 = AndNot(b[1], g5);
    const V g8 = AndNot(g6, b[4]);
    const V g9 = b[3] ^ g8;
    const V g10 = AndNot(b[1], g9);
    const V g11 = g4 ^ g10;
    const V g12 = AndNot(g6, b[3]);
    const V g13 = b[0] ^ b[4];
    const V g14 = g0 | g13;
    const V g15 = b[0] ^ g14;
    const V g16 = b[4] | g4;
    const V g17 = AndNot(g15, b[3]);
    const V g18 = g13 ^ g17;
    const V g19 = g2 | g13;
    const V g20 = b[3] ^ g19;
    const V g21 = b[3] ^ g15;
    const V g22 = AndNot(g11, b[3]);
    const V g23 = AndNot(b[1], g22);
    const V g24 = b[2] ^ g21;
    const V g25 = g24 ^ g7;
    const V g26 = b[2] ^ g12;
    const V g27 = AndNot(b[1], g26);
    const V g28 = g18 ^ g27;
    const V g29 = g11 ^ g28;
    const V g30 = b[0] ^ g29;
    const V g31 = b[0] & g16;
    const V g32 = g2 ^ g16;
    const V g33 = g32 ^ g23;
    const V g34 = g2 & g30;
    const V g35 = g12 | g34;
    const V g36 = g4 | g30;
    const V g37 = b[1] | g35;
    const V g38 = g20 ^ g37;
    const V g39 = AndNot(b[1], g36);
    const V g40 = b[5] | g38;
    const V g41 = g11 ^ g40;
    y3 ^= g41;
    const V g42 = g28 ^ g41;
    const V g43 = g31 ^ g39;
    const V g44 = AndNot(g31, g42);
    const V g45 = AndNot(g43, b[5]);
    const V g46 = g33 ^ g45;
    y1 ^= g46;
    const V g47 = b[5] | g44;
    const V g48 = g25 ^ g47;
    y2 ^= g48;
    const V g49 = b[5] & g29;
    const V g50 = g11 ^ g49;
    y0 ^= g50;
  }
};

}  // namespace quintar::enfcrypt::circuits
