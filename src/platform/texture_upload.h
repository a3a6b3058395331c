// What each platform's GL does its own way when a picture becomes a texture (texture_upload.cpp
// of each): the mipmap levels, and the edge a clamped picture is drawn with.
#pragma once

#include "platform/jpeg.h"
#include "platform/jpeg_decode.h"

// Uploads the picture and its mipmap levels into the texture bound to GL_TEXTURE_2D, setting
// `largest` to the size of level 0. False when the levels could not be made, which would leave a
// texture that draws as plain white.
bool upload_mipmapped(const JpegPicture& picture, TextureSize& largest);
// The wrap mode of a picture drawn with clamped edges.
int clamped_wrap_mode();
