#include "app/message_boxes.h"
