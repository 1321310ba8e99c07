#include "app/products_data.h"

int FindNetworkInterfaceType(uint16_t code) {
    for (std::size_t row = 0; row < NetworkInterfaceTypeTable.size(); ++row) {
        const Interfesz& type = NetworkInterfaceTypeTable[row];
        if (type.IsEnabled() && type.Code() == code) return static_cast<int>(row);
    }
    return -1;
}
