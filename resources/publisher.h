/* The publisher's home page: the About page shows and opens it, and the
   module's version resource names it. A deployment changes it here. */
#pragma once
#define TARNEL_PUBLISHER_URL "https://www.tarnel.example/"
