#pragma once

// Chief header of the screens.
