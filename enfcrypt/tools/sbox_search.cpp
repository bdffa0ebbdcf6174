// Finds, for each of the eight S-boxes, a small circuit of two-input gates (and, and-not, or, xor)
// computing its four outputs from its six inputs, and writes it as C++ for the AVX2 and SSE2
// kernels: enfcrypt/sbox_circuits.h. Deterministic: the same tables give the same file.
//   enfcrypt_sbox_search FILE           writes the circuits to FILE
//   enfcrypt_sbox_search --check FILE   fails unless FILE is exactly what it would write
//
// A function of the six inputs is a 64-bit truth table (bit v is its value for the input whose
// bit i is input i). Every node may be used or produced complemented for free: and-not and or
// cover every polarity of an and, a complemented xor is an xor, the kernel's key masks can
// complement an input and the kernel keeps track of complemented outputs. So the search works on
// functions up to complement.
//
// A target is built top down, with a care set (where its value matters):
//  - a pool node already has it, or one gate or two from pool nodes make it;
//  - otherwise it is split on an input s: first a node g that is right where s has one value,
//    then t = g xor (s-side and d), with d right where s has the other value: two gates.
// The pool holds every node built so far, for all four outputs, so later targets reuse earlier
// work. Each attempt splits inputs in one order of preference (so the outputs' pieces line up and
// share) and builds one side first per input; attempts differ in those and in the order of the
// outputs. The best is then improved by rebuilding random outputs with the others kept.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "enfcrypt/des_tables.h"

namespace {

using quintar::enfcrypt::des::kS;
using Table = std::uint64_t;

constexpr int kInputs = 6;
constexpr int kOutputs = 4;
constexpr int kAttempts = 200;
constexpr int kRebuilds = 800;

// Input i's truth table.
constexpr Table kInput[kInputs] = {0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull, 0xF0F0F0F0F0F0F0F0ull,
                                   0xFF00FF00FF00FF00ull, 0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

// Output bit j (least significant first) of S-box `box`: row from inputs 0 and 5, column from
// inputs 1 to 4 (input 1 the most significant), as the kernels feed it.
Table Output(int box, int j) {
  Table t = 0;
  for (unsigned v = 0; v < 64; ++v) {
    const auto bit = [v](int i) { return (v >> i) & 1; };
    const unsigned row = 2 * bit(0) + bit(5), column = 8 * bit(1) + 4 * bit(2) + 2 * bit(3) + bit(4);
    t |= Table{(kS[box][row][column] >> j) & 1u} << v;
  }
  return t;
}

// A small generator of its own, so the result never depends on a library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  template <typename T, std::size_t N>
  void Shuffle(std::array<T, N>& a) {
    for (std::size_t i = N - 1; i > 0; --i) std::swap(a[i], a[static_cast<std::size_t>(Below(static_cast<int>(i) + 1))]);
  }

 private:
  std::uint64_t state_;
};

// The gate kinds as the kernel spells them; kAndNot is a & ~b.
enum Op { kIn, kAnd, kAndNot, kOr, kXor };

struct Node {
  Table t;
  Op op;
  int a, b;
};

// Whether a node of table v is t (or its complement) wherever `care` is set.
bool Matches(Table v, Table t, Table care) {
  const Table d = (v ^ t) & care;
  return d == 0 || d == care;
}

// One gate on a and b in every form the instructions give (operands possibly swapped).
struct Form {
  Op op;
  bool swap;
};
constexpr Form kForms[] = {{kAnd, false}, {kAndNot, false}, {kAndNot, true}, {kOr, false}, {kXor, false}};

Table Apply(Op op, Table a, Table b) {
  switch (op) {
    case kAnd: return a & b;
    case kAndNot: return a & ~b;
    case kOr: return a | b;
    default: return a ^ b;
  }
}

// Table x with input v's two values exchanged.
Table Flip(Table x, int v) {
  const int s = 1 << v;
  return ((x & kInput[v]) >> s) | ((x & ~kInput[v]) << s);
}

// The inputs t depends on within `care`, as a bit mask.
int Depends(Table t, Table care) {
  int m = 0;
  for (int v = 0; v < kInputs; ++v)
    if ((t ^ Flip(t, v)) & care & Flip(care, v)) m |= 1 << v;
  return m;
}

// Nodes 0 to 5 are the inputs; the rest are gates on earlier nodes.
struct Circuit {
  std::vector<Node> nodes;
  int out[kOutputs];
  int Gates() const { return static_cast<int>(nodes.size()) - kInputs; }
};

Circuit Inputs() {
  Circuit c;
  for (int i = 0; i < kInputs; ++i) c.nodes.push_back({kInput[i], kIn, -1, -1});
  return c;
}

// Keeps only the nodes some output in `keep` (a mask) needs; the others' out become -1.
void Prune(Circuit& c, int keep) {
  const int n = static_cast<int>(c.nodes.size());
  std::vector<char> live(static_cast<std::size_t>(n), 0);
  for (int j = 0; j < kOutputs; ++j)
    if (keep >> j & 1) live[static_cast<std::size_t>(c.out[j])] = 1;
  for (int i = n - 1; i >= kInputs; --i)
    if (live[static_cast<std::size_t>(i)]) live[static_cast<std::size_t>(c.nodes[i].a)] = live[static_cast<std::size_t>(c.nodes[i].b)] = 1;
  std::vector<int> at(static_cast<std::size_t>(n), -1);
  std::vector<Node> kept;
  for (int i = 0; i < n; ++i) {
    if (i >= kInputs && !live[static_cast<std::size_t>(i)]) continue;
    Node node = c.nodes[static_cast<std::size_t>(i)];
    if (i >= kInputs) {
      node.a = at[static_cast<std::size_t>(node.a)];
      node.b = at[static_cast<std::size_t>(node.b)];
    }
    at[static_cast<std::size_t>(i)] = static_cast<int>(kept.size());
    kept.push_back(node);
  }
  c.nodes = std::move(kept);
  for (int j = 0; j < kOutputs; ++j) c.out[j] = keep >> j & 1 ? at[static_cast<std::size_t>(c.out[j])] : -1;
}

class Builder {
 public:
  Builder(Circuit& c, Random& random) : c_(c) {
    std::array<int, kInputs> order{0, 1, 2, 3, 4, 5};
    random.Shuffle(order);
    for (int k = 0; k < kInputs; ++k) rank_[order[static_cast<std::size_t>(k)]] = k;
    sides_ = static_cast<int>(random.Next() & 63);
  }

  // A node that is t, or its complement, wherever `care` is set.
  int Build(Table t, Table care) {
    if (const int found = Find(t, care); found >= 0) return found;
    int a, b;
    Form form;
    if (OneGate(t, care, a, b, form)) return Add(form, a, b);
    if (const int two = TwoGates(t, care); two >= 0) return two;
    return Split(t, care);
  }

 private:
  const Table& T(int i) const { return c_.nodes[static_cast<std::size_t>(i)].t; }
  int Size() const { return static_cast<int>(c_.nodes.size()); }

  int Add(Form form, int a, int b) {
    if (form.swap) std::swap(a, b);
    c_.nodes.push_back({Apply(form.op, T(a), T(b)), form.op, a, b});
    return Size() - 1;
  }

  int Find(Table t, Table care) const {
    for (int i = 0; i < Size(); ++i)
      if (Matches(T(i), t, care)) return i;
    return -1;
  }

  bool OneGate(Table t, Table care, int& a, int& b, Form& form) const {
    for (int i = 0; i < Size(); ++i)
      for (int k = i + 1; k < Size(); ++k)
        for (const Form f : kForms)
          if (Matches(f.swap ? Apply(f.op, T(k), T(i)) : Apply(f.op, T(i), T(k)), t, care)) {
            a = i, b = k, form = f;
            return true;
          }
    return false;
  }

  // A gate on node `with` and a new node that together give t on care.
  int Join(int with, int other, Table t, Table care) {
    for (const Form f : kForms)
      if (Matches(f.swap ? Apply(f.op, T(other), T(with)) : Apply(f.op, T(with), T(other)), t, care))
        return Add(f, with, other);
    std::fprintf(stderr, "internal error: no gate joins the nodes\n");
    std::exit(2);
  }

  // t as a gate on a pool node and a node one gate away: an xor, or an and (of any polarities)
  // with a node that holds t inside it, leaving only the inside to get right.
  int TwoGates(Table t, Table care) {
    int a, b;
    Form form;
    for (int i = 0; i < Size(); ++i) {
      const Table x = T(i);
      if (OneGate(t ^ x, care, a, b, form)) return Join(i, Add(form, a, b), t, care);
      for (const Table side : {x, ~x})
        for (const Table target : {t, ~t})
          if ((target & care & ~side) == 0 && OneGate(target, care & side, a, b, form))
            return Join(i, Add(form, a, b), t, care);
    }
    return -1;
  }

  // Shannon split on the input whose halves depend on the fewest inputs, earliest in this
  // attempt's order on a tie.
  int Split(Table t, Table care) {
    const int depends = Depends(t, care);
    int best = -1, bestScore = 1 << 30;
    for (int v = 0; v < kInputs; ++v) {
      if (!(depends >> v & 1)) continue;
      const int score = 16 * (std::popcount(static_cast<unsigned>(Depends(t, care & kInput[v]))) +
                              std::popcount(static_cast<unsigned>(Depends(t, care & ~kInput[v])))) +
                        rank_[v];
      if (score < bestScore) bestScore = score, best = v;
    }
    const Table first = sides_ >> best & 1 ? kInput[best] : ~kInput[best];
    const Table second = care & ~first;
    const int g = Build(t, care & first);
    // Aim for whichever of t and ~t g gives where it was built, so the rest is 0 there.
    Table rest = t ^ T(g);
    if (rest & care & first) rest = ~rest;
    if ((rest & second) == 0) return g;
    if ((~rest & second) == 0) return Add({kXor, false}, g, best);
    const int d = Build(rest, second);
    return Join(g, Join(best, d, rest, care), t, care);
  }

  Circuit& c_;
  int rank_[kInputs];
  int sides_;
};

// The smallest circuit the search finds for one box.
Circuit Search(int box) {
  Random random(static_cast<std::uint64_t>(box) + 1);
  Table outputs[kOutputs];
  for (int j = 0; j < kOutputs; ++j) outputs[j] = Output(box, j);
  const auto build = [&](Circuit& c, int which) {
    std::array<int, kOutputs> order{0, 1, 2, 3};
    random.Shuffle(order);
    Builder builder(c, random);
    for (const int j : order)
      if (which >> j & 1) c.out[j] = builder.Build(outputs[j], ~Table{0});
    Prune(c, 15);
  };
  Circuit best;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Circuit c = Inputs();
    build(c, 15);
    if (attempt == 0 || c.Gates() < best.Gates()) best = c;
  }
  for (int round = 0; round < kRebuilds; ++round) {
    Circuit c = best;
    const int rebuilt = 1 + random.Below(15);
    Prune(c, 15 & ~rebuilt);
    build(c, rebuilt);
    if (c.Gates() <= best.Gates()) best = c;
  }
  for (int j = 0; j < kOutputs; ++j)
    if (!Matches(best.nodes[static_cast<std::size_t>(best.out[j])].t, outputs[j], ~Table{0})) {
      std::fprintf(stderr, "internal error: box %d output %d is wrong\n", box + 1, j);
      std::exit(2);
    }
  return best;
}

// The gates in an order that keeps few values alive at once: of the gates ready, the one that
// ends the most operands' lives, an output before others, then the earliest built.
std::vector<int> Schedule(const Circuit& c) {
  const int n = static_cast<int>(c.nodes.size());
  std::vector<int> uses(static_cast<std::size_t>(n), 0);
  for (int i = kInputs; i < n; ++i) ++uses[static_cast<std::size_t>(c.nodes[i].a)], ++uses[static_cast<std::size_t>(c.nodes[i].b)];
  std::vector<char> isOutput(static_cast<std::size_t>(n), 0), done(static_cast<std::size_t>(n), 0);
  for (const int o : c.out) isOutput[static_cast<std::size_t>(o)] = 1;
  for (int i = 0; i < kInputs; ++i) done[static_cast<std::size_t>(i)] = 1;
  std::vector<int> order;
  while (static_cast<int>(order.size()) < n - kInputs) {
    int best = -1, bestScore = -1;
    for (int i = kInputs; i < n; ++i) {
      const Node& g = c.nodes[static_cast<std::size_t>(i)];
      if (done[static_cast<std::size_t>(i)] || !done[static_cast<std::size_t>(g.a)] || !done[static_cast<std::size_t>(g.b)]) continue;
      const int ends = (uses[static_cast<std::size_t>(g.a)] == 1) + (g.b != g.a && uses[static_cast<std::size_t>(g.b)] == 1);
      const int score = 2 * ends + isOutput[static_cast<std::size_t>(i)];
      if (score > bestScore) bestScore = score, best = i;
    }
    const Node& g = c.nodes[static_cast<std::size_t>(best)];
    --uses[static_cast<std::size_t>(g.a)];
    --uses[static_cast<std::size_t>(g.b)];
    done[static_cast<std::size_t>(best)] = 1;
    order.push_back(best);
  }
  return order;
}

std::string Emit(const Circuit (&boxes)[8]) {
  std::ostringstream o;
  int total = 0;
  std::string sizes;
  for (const Circuit& c : boxes) {
    total += c.Gates();
    sizes += (sizes.empty() ? "" : ", ") + std::to_string(c.Gates());
  }
  char average[16];
  std::snprintf(average, sizeof average, "%.2f", total / 8.0);
  o << "// Written by enfcrypt/tools/sbox_search.cpp from the S-box tables in des_tables.h; do not edit.\n"
       "// Each box's circuit of two-input gates (and, and-not, or, xor) xors its four outputs (least\n"
       "// significant first) into y0 to y3; an output marked in kComplemented arrives complemented.\n"
       "// The inputs are b[0] to b[5], row from b[0] and b[5], column from b[1] (most significant) to b[4].\n"
       "// Gates per box: "
    << sizes << "; average " << average
    << ".\n"
       "#pragma once\n\n"
       "namespace quintar::enfcrypt::circuits {\n\n"
       "inline constexpr int kGates[8] = {"
    << sizes << "};\n\ninline constexpr bool kComplemented[8][4] = {\n";
  for (int box = 0; box < 8; ++box) {
    o << "    {";
    for (int j = 0; j < kOutputs; ++j) {
      const Table v = boxes[box].nodes[static_cast<std::size_t>(boxes[box].out[j])].t;
      o << (j ? ", " : "") << (v == Output(box, j) ? "false" : "true");
    }
    o << "}" << (box < 7 ? "," : "") << "\n";
  }
  o << "};\n\n"
       "// a & ~b. A kernel gives its own for its vector type, the instruction itself: written out, a\n"
       "// compiler computes a ~b that several gates use once, and then plain ands, an instruction more.\n"
       "template <typename V>\n"
       "[[gnu::always_inline]] constexpr V AndNot(V a, V b) {\n"
       "  return a & ~b;\n"
       "}\n\n"
       "template <int Box>\n"
       "struct Circuit;\n";
  for (int box = 0; box < 8; ++box) {
    const Circuit& c = boxes[box];
    std::vector<std::string> name(c.nodes.size());
    for (int i = 0; i < kInputs; ++i) name[static_cast<std::size_t>(i)] = "b[" + std::to_string(i) + "]";
    o << "\ntemplate <>\nstruct Circuit<" << box
      << "> {\n"
         "  template <typename V>\n"
         "  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {\n";
    int next = 0;
    for (const int i : Schedule(c)) {
      const Node& g = c.nodes[static_cast<std::size_t>(i)];
      name[static_cast<std::size_t>(i)] = "g" + std::to_string(next++);
      const std::string& a = name[static_cast<std::size_t>(g.a)];
      const std::string& b = name[static_cast<std::size_t>(g.b)];
      o << "    const V " << name[static_cast<std::size_t>(i)] << " = ";
      if (g.op == kAndNot)
        o << "AndNot(" << a << ", " << b << ");\n";
      else
        o << a << (g.op == kAnd ? " & " : g.op == kOr ? " | " : " ^ ") << b << ";\n";
      for (int j = 0; j < kOutputs; ++j)
        if (c.out[j] == i) o << "    y" << j << " ^= " << name[static_cast<std::size_t>(i)] << ";\n";
    }
    o << "  }\n};\n";
  }
  o << "\n}  // namespace quintar::enfcrypt::circuits\n";
  return o.str();
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: %s [--check] FILE\n", argv[0]);
    return 2;
  }
  Circuit boxes[8];
  for (int box = 0; box < 8; ++box) boxes[box] = Search(box);
  const std::string text = Emit(boxes);
  const char* path = argv[argc - 1];
  if (check) {
    std::ifstream in(path, std::ios::binary);
    const std::string have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (have != text) {
      std::fprintf(stderr, "%s is not this program's output; regenerate it\n", path);
      return 1;
    }
    return 0;
  }
  std::ofstream out(path, std::ios::binary);
  out << text;
  return out.good() ? 0 : 1;
}
