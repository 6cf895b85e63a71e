// English texts of the driver's error codes, one per code that has a driver text.
#include <algorithm>
#include <iterator>

#include "driver_messages.h"
#include "translation.h"

namespace ktprint {
namespace {

struct CodeText {
  uint32_t code;
  const char* text;
};

// Sorted by code.
constexpr CodeText kTexts[] = {
    // Errors the printer reports.
    {1, N_("The head is open!\nThe connected printer's head is raised.\nLower the head and "
           "feed a label.")},
    {2, N_("No ribbon!\nThe ribbon has run out: replace it, press FEED to align the print "
           "position, then continue issuing.")},
    {3, N_("No gap or mark found!\nCheck that the label size of the format matches the labels "
           "in the printer, then press the feed key.\nCheck the detection method in the print "
           "conditions.")},
    {4, N_("No labels!\nThe labels have run out: load new labels, press FEED to align the "
           "print position, then continue issuing.")},
    {5, N_("Gap or mark measurement error!\nCheck the label size set against the labels in the "
           "printer, and that no label sticks to the sensor.\nCheck the detection method in "
           "the print conditions.")},
    {6, N_("Print density too high!\nLower the print density in the print settings.")},
    {7, N_("No memory card inserted!")},
    {8, N_("The memory card is full!")},
    {9, N_("The data on the memory card is damaged!")},
    {10, N_("Wrong memory card number!")},
    {11, N_("The memory card is not initialised!")},
    {12, N_("Too many handles!")},
    {13, N_("The memory card holds the most files it can!")},
    {14, N_("No such file!")},
    {15, N_("A file of the same name exists!")},
    {16, N_("Wrong file attributes!")},
    {17, N_("Value too large!")},
    {18, N_("Value too small!")},
    {19, N_("The buffer is full!")},
    {20, N_("Wrong barcode type!")},
    {21, N_("Wrong barcode characters or number of digits!")},
    {22, N_("Timed out waiting to receive!")},
    {23, N_("The data is wrong!")},
    {24, N_("The item given is not registered!")},
    {25, N_("The short code given is not set!")},
    {26, N_("The data name given does not exist!")},
    {27, N_("The external font given is not registered!")},
    {28, N_("Read past the end of the file!")},
    {29, N_("The cutter reports a fault! Remove any jammed label. If a label is caught in the "
            "blade, try the printer's up-arrow key to free it.")},
    {30, N_("Wrong barcode format!")},
    {31, N_("No name given for the data of the total range!")},
    {32, N_("The label is too large!")},
    {33, N_("The format name is not in the database!")},
    {34, N_("The head is near the end of its life!")},
    {35, N_("The print content goes beyond the printable area of the label!")},
    {36, N_("No call name is set!")},
    {37, N_("No file name is set!")},
    {38, N_("The number of digits does not match the target data!")},
    {39, N_("Only a string of digits can be set!")},
    {40, N_("The format has no database set!")},
    {41, N_("Databases #2 and #3 cannot be used!")},
    {42, N_("A file of the same name exists at the copy destination!")},
    {43, N_("Timed out waiting to send!")},
    {44, N_("The printer controller cannot be initialised!")},
    {45, N_("The setup information is damaged and is reset to its initial values!")},
    {46, N_("The cover is open!")},
    {47, N_("A transfer error occurred!")},
    {48, N_("The setup information cannot be deleted or renamed!")},
    {49, N_("Check the label size!")},
    {50, N_("Value out of range!")},
    {51, N_("Unsupported bitmap file!")},
    {52, N_("Not enough memory to register the data!")},
    {53, N_("The LAN controller is being initialised. Switch the printer off and on again.")},
    {54, N_("The allocation quantity is 0 or less! Change it.")},
    {55, N_("The total quantity is 0 or less! Change it.")},
    {56, N_("Not enough space on the destination card!")},
    {57, N_("The buffer is full! Remove some settings.")},
    {58, N_("Card format error!")},
    {59, N_("File open error!")},
    {60, N_("File write error!")},
    {61, N_("Directory creation error!")},
    {62, N_("Select a file!")},
    {63, N_("A power supply fault occurred!")},
    {64, N_("A protection violation occurred!")},
    {65, N_("The password does not match!")},
    {66, N_("No call code is set!")},
    {67, N_("The call code exists more than once!")},
    {68, N_("The data is of an incompatible model and cannot be imported!")},
    {69, N_("Set a label width of 80 mm or less. Press any key.")},
    {70, N_("A barcode set at 90 or 270 degrees may be hard to scan. Lower the print speed and "
            "density when issuing.")},
    {71, N_("This format holds a barcode at 90 or 270 degrees, which may be hard to scan. Lower "
            "the print speed and density when issuing.")},
    {72, N_("With auto-peel on, gap/mark detection cannot be set to none.")},
    {73, N_("No IP address can be obtained!")},
    {74, N_("To obtain the IP address automatically, switch the printer off and on again.")},
    {75, N_("The IP address is set to be obtained automatically.")},
    {76, N_("The KT server's IP address cannot be obtained.")},
    {77, N_("The history file could not be created.")},
    {78, N_("Operating system error.")},
    {79, N_("The file is of a newer format, which is not supported.")},
    {80, N_("Bluetooth module communication error")},
    {81, N_("Bluetooth connection error")},
    {82, N_("Bluetooth disconnection error")},
    {83, N_("The file system needs initialising. After a restart, initialise the internal "
            "memory again.")},
    {84, N_("When communicating over LAN, set a fixed IP address.")},
    {85, N_("The command data received has the wrong format.")},
    {86, N_("Bluetooth pairing error")},
    {87, N_("Bluetooth module communication error")},
    {88, N_("Too many words to register!")},
    {89, N_("Reading string error!")},
    {90, N_("The word could not be registered!")},
    {91, N_("The word is already registered!")},
    {92, N_("The folder given does not exist.")},
    {93, N_("There are 51 or more data items. Split the database to use it.")},
    {94, N_("A file of the same name exists. Choose another file name.")},
    {95, N_("The key controller version cannot be obtained!")},
    {96, N_("Too many files on the server!")},
    {97, N_("More characters than digits allowed!")},
    {98, N_("The folder name contains characters that cannot be used!")},
    {99, N_("The internal memory cannot be backed up automatically.")},
    {100, N_("Terminal issuing does not work while an RS-232C scanner connection is set.")},
    {101, N_("Forcing a switch to the mode selection screen.")},
    {102, N_("Scale data items exist. The format cannot be opened.")},
    {103, N_("The system files have changed. Restart the printer.")},
    {104, N_("An item is as wide as the label or wider, so the layout could not be shown.")},
    {105, N_("The internal memory is full!")},
    {106, N_("For terminal issuing over LAN, set socket connection and a fixed IP address.")},
    {107, N_("A broken head dot was detected: vertical lines will not print. The head needs "
             "replacing; ask your dealer.")},
    // Printer conditions.
    {900, N_("Set the machine number and IP address at the printer when switching it on.")},
    {901, N_("Issuing or feeding. Wait until it has finished!")},
    {903, N_("The program cannot be installed. Start the printer in program install mode.")},
    {998, N_("Issuing was stopped on the computer!")},
    {999, N_("Issuing was stopped at the printer!")},
    // Messages of the host that the driver raises.
    {40019, N_("The label is wider than 80 mm. Set a label width of 80 mm or less.")},
    {40070, N_("The printer's status cannot be obtained.")},
    {40079, N_("The printer's head is open. Close the head.")},
    {40365, N_("A label is left at the peeler. Take the label.")},
    // The driver's own.
    {60122, N_("Timed out waiting to receive!")},
    {60208, N_("With auto-cut, labels shorter than 33 mm or gaps under 3 mm cannot be used. "
               "Press any key.")},
    {60209, N_("With thermal transfer and auto-peel, labels narrower than 40 mm cannot be used. "
               "Press any key.")},
    {60301, N_("The printer refused this parameter:\n")},
    {60302, N_("The printer received a wrong command!")},
    {60303, N_("An error occurred while sending the label data!")},
    {60304, N_("Issuing cannot be stopped!")},
    {60305, N_("An error occurred during the LED test!")},
    {60306, N_("An error occurred during the buzzer test!")},
    {60307, N_("An error occurred during the card test!")},
    {60308, N_("The program data sent is faulty!")},
    {60310, N_("An error occurred while getting the printer's status!")},
    {60311, N_("An error occurred while getting the printer's gap/mark settings!")},
    {60312, N_("An error occurred while getting the printer's head travel distance!")},
    {60313, N_("Not enough memory or disk space for the work area!")},
    {60314, N_("An error occurred while reading the bitmap!")},
    {60315, N_("Take the label!")},
    {60320, N_("An error occurred during the printer's test print!")},
    {60400, N_("No printer address is set. Store it with: ktprint config --address A.B.C.D")},
    {60401, N_("Socket communication error:\nCheck that the printer is switched on and its LAN "
               "cable is connected.\nCheck that the IP address setting is right.")},
    {60402, N_("Socket connection error:\nCheck that the printer is switched on and its LAN "
               "cable is connected.\nAre the IP address (and port number) set correctly?")},
    {60403, N_("Socket error while sending:\n")},
    {60404, N_("Socket error while receiving:\nCheck the printer's state.\nWas it switched "
               "offline while issuing?\nIs the printer waiting normally?\nCheck whether a "
               "firewall on this computer is blocking it.")},
    {60405, N_("Update the printer's controller application!")},
    {60406, N_("The gap is at the tear-off cutter (the printer backfeeds before printing). Issue "
               "anyway?")},
    {60407, N_("The motor test cannot be prepared!")},
    {60408, N_("Motor test error!")},
    {60409, N_("Motor test end error!")},
    {60410, N_("The head-break warning distance has been reached!")},
    {60411, N_("Clear the printer's label travel distance?")},
    {60412, N_("Clear the printer's body travel distance?")},
    {60413, N_("The labeler application is of the Ver1 series, which cannot issue with this "
               "version. Update the labeler application as the update information describes.")},
    {60414, N_("For auto-peel, set the print speed to 70-100 mm/s.")},
    {60415, N_("Issuing now backfeeds at the start of printing.\r\nThe label may stick to the "
               "issuing part while backfeeding and issuing.")},
    {60416, N_("The gap is at the tear-off cutter (the printer backfeeds before printing).")},
    {60417, N_("An error occurred while getting the printer's cut position!")},
    {60418, N_("An error occurred while checking the printer's head for broken dots!")},
    {60419, N_("An error occurred while checking the printer's head lift!")},
    {60420, N_("An error occurred while checking the printer's auto-cutter!")},
    {60421, N_("RS-232C test result: fault.")},
    {60422, N_("An error occurred during the RS-232C test!")},
    {60423, N_("An error occurred during the rotary switch test!")},
    {60425, N_("The selected KT is of another kind.")},
    {60677, N_("%s is %s. Change the printer kind.")},
    {60678, N_("The printer kind is wrong.")},
    {60999, N_("Issuing was stopped at the printer!")},
};

}  // namespace

const char* englishDriverText(uint32_t code) {
  auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                             [](const CodeText& e, uint32_t c) { return e.code < c; });
  return it != std::end(kTexts) && it->code == code ? it->text : nullptr;
}

}  // namespace ktprint
