#include "ndr/walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/guid.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(std::string_view text) {
  Bytes out;
  std::string digits;
  for (char c : text)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
  return out;
}

// A leaf with an embedded unique pointer, and a conformant structure that
// holds two of them by pointer: the shapes of the activation properties.
struct Leaf {
  std::uint16_t tag = 0;
  std::unique_ptr<std::uint32_t> value;
};
template <class W>
void walk(W& w, Leaf& v) {
  w.align(4);  // a structure aligns to its widest member, here the pointer
  w.u16(v.tag);
  w.unique(v.value);
}

struct Tree {
  std::uint8_t flag = 0;
  std::unique_ptr<Leaf> left;
  std::unique_ptr<Leaf> right;
  std::vector<std::uint16_t> words;  // [size_is] as the last member
};
template <class W>
void walk(W& w, Tree& v) {
  std::uint32_t count = static_cast<std::uint32_t>(v.words.size());
  w.maxCount(count);
  w.u8(v.flag);
  w.unique(v.left);
  w.ref(v.right);
  w.elements(v.words, count, 2);
}

Tree sampleTree() {
  Tree tree;
  tree.flag = 7;
  tree.left = std::make_unique<Leaf>(Leaf{0x11, std::make_unique<std::uint32_t>(0xAAAAAAAA)});
  tree.right = std::make_unique<Leaf>(Leaf{0x22, nullptr});
  tree.words = {1, 2, 3};
  return tree;
}

// Pointees come after the construct that holds their pointers, in the order
// of the pointers, and a pointee's own pointees directly after it.
const char* kTreeWire =
    "03000000"  // hoisted conformance
    "07 000000" // flag, pad
    "00000200 04000200"  // left, right referents
    "0100 0200 0300"     // words
    "0000"               // pad
    "1100 0000 08000200" // left leaf, its pointer
    "aaaaaaaa"           // left leaf's pointee, before the right leaf
    "2200 0000 00000000";

TEST(NdrWalker, PointeesFollowTheirConstructDepthFirst) {
  Tree tree = sampleTree();
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { w.param(tree); }));
  EXPECT_EQ(out, hex(kTreeWire));

  Tree back;
  std::size_t used = 0;
  Bytes in = hex(kTreeWire);
  in.insert(in.end(), {0x7f, 0x00, 0x00});  // trailing bytes a peer may leave
  ASSERT_FALSE(ndr::decode(in, [&](auto& w) { w.param(back); }, &used));
  EXPECT_EQ(used, hex(kTreeWire).size());
  EXPECT_EQ(back.flag, 7);
  ASSERT_TRUE(back.left && back.left->value);
  EXPECT_EQ(*back.left->value, 0xAAAAAAAAu);
  ASSERT_TRUE(back.right);
  EXPECT_EQ(back.right->tag, 0x22);
  EXPECT_FALSE(back.right->value);
  EXPECT_EQ(back.words, (std::vector<std::uint16_t>{1, 2, 3}));
}

TEST(NdrWalker, ScalarsAlignToTheirSizeAndPaddingIsNeverChecked) {
  struct Values {
    std::uint8_t a = 0x01;
    std::uint32_t b = 0x02030405;
    std::uint16_t c = 0x0607;
    double d = 1.5;
    GUID g = {0x99fcfec4, 0x5260, 0x101b, {0xbb, 0xcb, 0x00, 0xaa, 0x00, 0x21, 0x34, 0x7a}};
  } v;
  auto body = [&](auto& w) {
    w.u8(v.a);
    w.u32(v.b);
    w.u16(v.c);
    w.f64(v.d);
    w.item(v.g);
  };
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, body));
  EXPECT_EQ(out, hex("01000000 05040302 0706 000000000000 000000000000f83f c4fefc99 6052 1b10 bbcb00aa0021347a"));

  Bytes padded = hex("01abcdef 05040302 0706 bfbfbfbfbfbf 000000000000f83f c4fefc99 6052 1b10 bbcb00aa0021347a");
  v = Values{0, 0, 0, 0, {}};
  ASSERT_FALSE(ndr::decode(padded, body));
  EXPECT_EQ(v.b, 0x02030405u);
  EXPECT_EQ(v.c, 0x0607);
  EXPECT_EQ(v.d, 1.5);
  EXPECT_EQ(v.g.Data1, 0x99fcfec4u);
}

TEST(NdrWalker, ArraysAndStrings) {
  std::vector<std::uint16_t> varying = {9, 8};
  std::vector<std::uint32_t> conformantVarying = {5};
  std::u16string wide = u"Ab";
  std::string narrow = "";
  auto body = [&](auto& w) {
    std::uint32_t offset = 3;
    w.varyingArray(varying, 2, [](auto& w2, std::uint16_t& e) { w2.u16(e); }, &offset);
    std::uint32_t max = 4;
    w.conformantVaryingArray(conformantVarying, 4, [](auto& w2, std::uint32_t& e) { w2.u32(e); }, &max);
    w.wideString(wide);
    w.narrowString(narrow);
  };
  const Bytes wire = hex(
      "03000000 02000000 0900 0800"            // varying: offset 3, two elements
      "04000000 00000000 01000000 05000000"    // conformant-varying
      "03000000 00000000 03000000 4100 6200 0000" // "Ab" and its terminator
      "0000 01000000 00000000 01000000 00");    // "" is just the terminator
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, body));
  EXPECT_EQ(out, wire);
  varying.clear();
  conformantVarying.clear();
  wide.clear();
  narrow = "x";
  ASSERT_FALSE(ndr::decode(wire, body));
  EXPECT_EQ(varying, (std::vector<std::uint16_t>{9, 8}));
  EXPECT_EQ(conformantVarying, (std::vector<std::uint32_t>{5}));
  EXPECT_EQ(wide, u"Ab");
  EXPECT_EQ(narrow, "");
}

TEST(NdrWalker, MalformedInputIsAnErrorValue) {
  struct Case {
    const char* name;
    const char* wire;
    ndr::Status status;
  };
  const Case cases[] = {
      {"string without terminator", "03000000 00000000 03000000 4100 6200 6300", ndr::Status::invalid},
      {"string of no elements", "00000000 00000000 00000000", ndr::Status::invalid},
      {"string past its maximum", "02000000 01000000 02000000 4100 0000", ndr::Status::invalid},
      {"string longer than the data", "ffffff7f 00000000 ffffff7f 4100", ndr::Status::truncated},
  };
  for (const Case& c : cases) {
    std::u16string text;
    auto error = ndr::decode(hex(c.wire), [&](auto& w) { w.wideString(text); });
    ASSERT_TRUE(error) << c.name;
    EXPECT_EQ(error->status, c.status) << c.name;
  }

  // A count far beyond the data is refused before anything is allocated.
  std::vector<std::uint64_t> huge;
  auto error = ndr::decode(hex("ffffffff 00000000"), [&](auto& w) { w.conformantArray(huge, 8); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::truncated);
  EXPECT_TRUE(huge.empty());

  // A NULL [ref] pointer, and an enum beyond 16 signed bits.
  Tree tree;
  error = ndr::decode(hex("00000000 00 000000 00000000 00000000"), [&](auto& w) { w.param(tree); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::invalid);
  enum class Mode : std::uint32_t {} mode{};
  error = ndr::decode(hex("0080"), [&](auto& w) { w.enum16(mode); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::invalid);
  EXPECT_EQ(ndr::faultStatus(*error), 0x000006F7u);
}

TEST(NdrWalker, EveryTruncationOfAValidStreamFailsCleanly) {
  const Bytes wire = hex(kTreeWire);
  for (std::size_t length = 0; length < wire.size(); ++length) {
    Bytes cut(wire.begin(), wire.begin() + length);
    Tree tree;
    auto error = ndr::decode(cut, [&](auto& w) { w.param(tree); });
    ASSERT_TRUE(error) << length;
    EXPECT_EQ(error->status, ndr::Status::truncated) << length;
  }
}

struct Node {
  std::uint32_t value = 0;
  std::shared_ptr<Node> next;
};
template <class W>
void walk(W& w, Node& v) {
  w.u32(v.value);
  w.full(v.next);
}

TEST(NdrWalker, FullPointersAliasAndUniquePointersDoNot) {
  auto shared = std::make_shared<Node>(Node{5, nullptr});
  Node a{1, shared}, b{2, shared};
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) {
    w.param(a);
    w.param(b);
  }));
  // The second reference to the same node repeats its id and not the node.
  EXPECT_EQ(out, hex("01000000 00000200 05000000 00000000 02000000 00000200"));
  Node c, d;
  ASSERT_FALSE(ndr::decode(out, [&](auto& w) {
    w.param(c);
    w.param(d);
  }));
  ASSERT_TRUE(c.next);
  EXPECT_EQ(c.next, d.next);
  EXPECT_EQ(c.next->value, 5u);

  // Peers reuse one id for different unique pointers: each is its own value.
  Leaf x, y;
  ASSERT_FALSE(ndr::decode(hex("0100 0000 55736572 07000000 0200 0000 55736572 08000000"), [&](auto& w) {
    w.param(x);
    w.param(y);
  }));
  ASSERT_TRUE(x.value && y.value);
  EXPECT_EQ(*x.value, 7u);
  EXPECT_EQ(*y.value, 8u);
}

TEST(NdrWalker, DeepNestingIsRefusedNotFollowed) {
  // A chain of 200 nodes, each pointing at the next.
  Bytes wire;
  for (std::uint8_t i = 0; i < 200; ++i) {
    Bytes link = {1, 0, 0, 0, static_cast<std::uint8_t>(i + 1), 0, 0, 1};
    wire.insert(wire.end(), link.begin(), link.end());
  }
  Node head;
  auto error = ndr::decode(wire, [&](auto& w) { w.param(head); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::tooDeep);
}

}  // namespace
