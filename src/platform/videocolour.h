#pragma once

namespace marquetrix {

// How a stream's YCbCr samples stand for RGB: the matrix and the range its tags name.
struct VideoColour
{
    enum class Matrix
    {
        Unknown,
        Bt601,
        Bt709,
    };

    Matrix matrix = Matrix::Unknown;
    bool fullRange = false;

    // An untagged stream follows the usual convention: BT.601 below 720 lines, BT.709 from
    // there.
    Matrix matrixAt(int height) const
    {
        if (matrix != Matrix::Unknown)
            return matrix;
        return height >= 720 ? Matrix::Bt709 : Matrix::Bt601;
    }

    bool operator==(const VideoColour &) const = default;
};

} // namespace marquetrix
