#pragma once

#include "engine/sample_allocator.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

// The channel values of a view, one row per sample. A row holds all eight slots, as the window
// keeps them (slots above the view's channels keep older values), or only the view's channels,
// as an output that needs no more keeps them: for a long run the rows are as large as the
// samples. Rows are read and written as rows[i][k] either way.

namespace engine {

inline constexpr int kMaxChannels = 8;

using TChannelRow = std::array<float, kMaxChannels>;

// Row i of the buffer, `width` values; converts to a whole TChannelRow (unheld slots 0).
template <typename Value>
class BasicChannelRowRef {
public:
    BasicChannelRowRef(Value* values, int width) : values_(values), width_(width) {}

    Value& operator[](std::size_t k) const { return values_[k]; }
    operator TChannelRow() const // NOLINT: a row reads as a row
    {
        TChannelRow row{};
        std::copy(values_, values_ + width_, row.begin());
        return row;
    }

private:
    Value* values_;
    int width_;
};
using ChannelRowRef = BasicChannelRowRef<float>;
using ConstChannelRowRef = BasicChannelRowRef<const float>;

// Where the rows start, for painters that walk them: rows[i][k].
class ChannelRowPointer {
public:
    ChannelRowPointer() = default;
    ChannelRowPointer(const float* values, int width) : values_(values), width_(width) {}

    ConstChannelRowRef operator[](std::ptrdiff_t i) const
    {
        return {values_ + i * width_, width_};
    }
    ChannelRowPointer operator+(std::ptrdiff_t rows) const
    {
        return {values_ + rows * width_, width_};
    }
    int Width() const { return width_; }
    bool operator==(const ChannelRowPointer&) const = default;

private:
    const float* values_ = nullptr;
    int width_ = kMaxChannels;
};

class ChannelRowBuffer {
public:
    class const_iterator {
    public:
        const_iterator(const ChannelRowBuffer* rows, std::size_t index)
            : rows_(rows), index_(index)
        {
        }
        ConstChannelRowRef operator*() const { return (*rows_)[index_]; }
        const_iterator& operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator+(std::ptrdiff_t n) const
        {
            return {rows_, index_ + static_cast<std::size_t>(n)};
        }
        bool operator==(const const_iterator&) const = default;

    private:
        friend class ChannelRowBuffer;
        const ChannelRowBuffer* rows_;
        std::size_t index_;
    };

    std::size_t size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    // Values per row: kMaxChannels, or the view's channel count for compact rows.
    int Width() const { return width_; }

    ChannelRowRef operator[](std::size_t i) { return {values_.data() + i * Stride(), width_}; }
    ConstChannelRowRef operator[](std::size_t i) const
    {
        return {values_.data() + i * Stride(), width_};
    }
    ChannelRowPointer data() const { return {values_.data(), width_}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, rows_}; }

    // `count` rows: rows that existed keep their values, new rows are 0.
    void resize(std::size_t count)
    {
        values_.resize(count * Stride());
        rows_ = count;
    }
    // `count` rows of `width` values; a new width starts every row at 0.
    void Reshape(std::size_t count, int width)
    {
        if (width != width_) {
            values_.clear();
            values_.shrink_to_fit(); // the old rows are not held beside the new ones
            width_ = width;
        }
        resize(count);
    }
    void assign(std::size_t count, const TChannelRow& row)
    {
        Reshape(0, kMaxChannels);
        values_.reserve(count * kMaxChannels);
        for (std::size_t i = 0; i < count; ++i) {
            values_.insert(values_.end(), row.begin(), row.end());
        }
        rows_ = count;
    }
    // The rows [first, last) of another buffer, at its width.
    void assign(const_iterator first, const_iterator last)
    {
        const std::size_t stride = first.rows_->Stride();
        values_.assign(first.rows_->values_.data() + first.index_ * stride,
                       first.rows_->values_.data() + last.index_ * stride);
        width_ = first.rows_->width_;
        rows_ = last.index_ - first.index_;
    }

private:
    std::size_t Stride() const { return static_cast<std::size_t>(width_); }

    // Held like the samples, on huge pages where the system has them: the first run of a long
    // run otherwise spends much of its time taking the rows' small pages one by one.
    std::vector<float, SampleAllocator<float>> values_;
    std::size_t rows_ = 0;
    int width_ = kMaxChannels;
};

} // namespace engine
