// Values, arrays, the call convention and the fatal-error text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "runtime/array_value.h"
#include "runtime/command_call.h"
#include "runtime/heap.h"
#include "runtime/number_conversion.h"
#include "runtime/runtime_error.h"
#include "runtime/text_value.h"

namespace {

TEST(TextValue, EmptyTextsAndByteLengths) {
  EXPECT_EQ(byteLength(nullptr), 0);
  EXPECT_EQ(byteLength("文a"), 3);
  EXPECT_EQ(compareText(nullptr, ""), 0);
  EXPECT_EQ(compareText(nullptr, "a"), -1);
  EXPECT_EQ(compareText("ab", "a"), 1);
  EXPECT_EQ(compareText("\xB1" "a", "a"), 1) << "bytes compare unsigned";
}

TEST(TextValue, ConcatIsNeverNullButCopyOfEmptyIs) {
  TextValue both = concatTexts({"", ""});
  ASSERT_NE(both.data(), nullptr);
  EXPECT_STREQ(both.data(), "");
  EXPECT_EQ(copyText("").data(), nullptr);
  EXPECT_EQ(copyText(nullptr).data(), nullptr);
  EXPECT_STREQ(concatTexts({"a", "", "序"}).c_str(), "a序");
}

TEST(TextValue, AssignmentCopiesAndConstantsAreNeverFreed) {
  TextValue original = TextValue::copyOf("x");
  TextValue copy = original;
  EXPECT_NE(copy.data(), original.data());
  EXPECT_EQ(copy, original);

  TextValue emptyCopy = concatTexts({""});
  TextValue copiedEmpty = emptyCopy;
  EXPECT_NE(copiedEmpty.data(), nullptr) << "a non-null empty source copies to a new block";

  // A variable holding the constant "," is overwritten by a heap text, which is later released.
  TextValue separator = TextValue::constant(",");
  const char* constant = separator.data();
  EXPECT_TRUE(isConstant(constant));
  EXPECT_EQ(TextValue::constant(",").data(), constant) << "constants are interned once";
  separator = TextValue::copyOf("\t");
  EXPECT_STREQ(constant, ",") << "the constant survives its variable being overwritten";
  release(nullptr);
  release(constant);
  EXPECT_STREQ(constant, ",");
}

TEST(ArrayValue, EmptyArrayAndResizeKeepContents) {
  ArrayValue widths(ElementType::Int);
  EXPECT_EQ(widths.count(), 0);
  widths.resize(3);
  for (int i = 1; i <= 3; ++i) widths.setInt(i, i * 10);
  widths.resize(5);
  ASSERT_EQ(widths.count(), 5);
  EXPECT_EQ(widths.intAt(1), 10);
  EXPECT_EQ(widths.intAt(3), 30);
  EXPECT_EQ(widths.intAt(4), 0);
  EXPECT_EQ(widths.intAt(5), 0);
  widths.resize(2);
  EXPECT_EQ(widths.count(), 2);
  EXPECT_EQ(widths.intAt(2), 20);
}

TEST(ArrayValue, BlockLayoutIsDimensionsSizesElements) {
  ArrayValue texts = ArrayValue::ofSize(2, ElementType::Text);
  texts.setText(2, TextValue::copyOf("b"));
  const auto* words = static_cast<const uint32_t*>(texts.block());
  EXPECT_EQ(words[0], 1u);
  EXPECT_EQ(words[1], 2u);
  const ArrayData data = arrayData(texts.block());
  EXPECT_EQ(data.count, 2u);
  EXPECT_EQ(data.elements[0], 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(data.elements[1]), "b");
  EXPECT_EQ(elementCount(nullptr), 0u);
}

// Death tests: the default fatal handler writes the box text to stderr and exits with -1.
std::string expectedBox(int code, const char* message, int routineId, int position) {
  std::string text = "运行时出错!\r\n";
  if (code != 0) text += "\r\n错误代码：" + std::to_string(code) + "\r\n";
  text += std::string("\r\n错误信息：") + message + "\r\n";
  text += "\r\n" + std::to_string(routineId) + ", " + std::to_string(position) + "\r\n";
  return text;
}

TEST(RuntimeError, BoxTextLayout) {
  EXPECT_EQ(runtimeErrorText(RuntimeError::IndexAboveRange, nullptr, ErrorSite(7, 12)),
            expectedBox(1, "数组成员引用下标超出定义范围", 7, 12));
  EXPECT_EQ(runtimeErrorText(RuntimeError::None, "分配 9 字节内存失败!", ErrorSite()),
            expectedBox(0, "分配 9 字节内存失败!", 0, 0));
  EXPECT_EQ(runtimeErrorText(RuntimeError::None, "", ErrorSite(1, 2)), "运行时出错!\r\n\r\n1, 2\r\n");
  EXPECT_STREQ(runtimeErrorMessage(RuntimeError::NegativeArraySize),
               "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零");
  EXPECT_STREQ(runtimeErrorMessage(RuntimeError::ArgumentType), "所提供参数的数据类型不符合要求");
}

using RuntimeErrorDeathTest = ::testing::Test;

// The program ends with exit code -1: a POSIX parent sees its low byte (255), a Windows
// parent the whole 32-bit code.
bool endedWithMinusOne(int status) {
  return ::testing::ExitedWithCode(255)(status) || ::testing::ExitedWithCode(-1)(status);
}

TEST_F(RuntimeErrorDeathTest, ArrayBoundsEndTheProgramWithTheirCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ArrayValue one = ArrayValue::ofSize(1, ElementType::Int);
  const ErrorSite site(3, 4);
  EXPECT_EXIT(one.intAt(0, site), endedWithMinusOne,
              ::testing::HasSubstr(expectedBox(4, "数组成员引用下标必须大于等于1", 3, 4)));
  EXPECT_EXIT(one.intAt(2, site), endedWithMinusOne,
              ::testing::HasSubstr(expectedBox(1, "数组成员引用下标超出定义范围", 3, 4)));
  ArrayValue empty(ElementType::Text);
  EXPECT_EXIT(empty.textAt(1, site), endedWithMinusOne, ::testing::HasSubstr("错误代码：1\r\n"));
  EXPECT_EXIT(one.resize(-1, site), endedWithMinusOne, ::testing::HasSubstr("错误代码：10\r\n"));
}

TEST_F(RuntimeErrorDeathTest, RefusedAllocationReportsItsSize) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // More than any machine has: malloc refuses and the box names the size, with no code line.
  const std::size_t huge = std::numeric_limits<std::size_t>::max();
  EXPECT_EXIT(allocate(huge), endedWithMinusOne,
              ::testing::HasSubstr(expectedBox(0, ("分配 " + std::to_string(huge) + " 字节内存失败!").c_str(), 0, 0)));
}

// A new refused anywhere in the process, the toolkit's included, ends it as allocate() does;
// a nothrow new answers null and the program goes on.
TEST_F(RuntimeErrorDeathTest, RefusedNewReportsItsSizeAndNothrowNewAnswersNull) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
  volatile std::size_t size = huge;  // keeps the compiler from judging the new itself
  EXPECT_EXIT(delete[] new char[size], endedWithMinusOne,
              ::testing::HasSubstr(expectedBox(0, ("分配 " + std::to_string(huge) + " 字节内存失败!").c_str(), 0, 0)));
  EXPECT_EQ(new (std::nothrow) char[size], nullptr);
}

TEST(NumberConversion, TruncatesTowardZeroKeepingLow32Bits) {
  EXPECT_EQ(truncateToInteger(2.9), 2);
  EXPECT_EQ(truncateToInteger(-2.7), -2);
  EXPECT_EQ(truncateToInteger(-0.5), 0);
  EXPECT_EQ(truncateToInteger(3000000000.0), -1294967296);
  EXPECT_EQ(truncateToInteger(1e20), 0);
  EXPECT_EQ(truncateToInteger(-1e20), 0);
  EXPECT_EQ(truncateToInteger(std::nan("")), 0);
}

TEST(CommandCall, PointersAndDoublesSpanTwoWords) {
  const char* text = "abc";
  const CommandArgument pointer = CommandArgument::ofText(text);
  EXPECT_EQ(pointer.asText(), text);
  EXPECT_EQ(pointer.type, TypeCode::Text);
  EXPECT_STREQ(CommandArgument::ofText(nullptr).asText(), "") << "a null text is passed as \"\"";
  EXPECT_EQ(CommandArgument::ofDouble(-1.5).asDouble(), -1.5);
  EXPECT_EQ(CommandArgument::ofInt(-5).asInt(), -5);
  static_assert(sizeof(CommandArgument) == 12);
  EXPECT_EQ(static_cast<uint32_t>(TypeCode::Int), 0x80000301u);
  EXPECT_EQ(static_cast<uint32_t>(TypeCode::ComObject), 0x10030u);
}

}  // namespace
