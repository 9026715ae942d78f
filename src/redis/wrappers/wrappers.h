#pragma once

#include "redis/wrappers/bool_wrapper.h"
#include "redis/wrappers/int_wrapper.h"
#include "redis/wrappers/optional_int_wrapper.h"
#include "redis/wrappers/optional_string_wrapper.h"
#include "redis/wrappers/optional_timestamp_wrapper.h"
#include "redis/wrappers/string_wrapper.h"
#include "redis/wrappers/timestamp_wrapper.h"
