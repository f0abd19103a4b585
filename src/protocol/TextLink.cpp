#include "TextLink.h"

TextLink::~TextLink() = default;
