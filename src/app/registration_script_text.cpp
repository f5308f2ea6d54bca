// The registration script: ProgIDs with the OPC vendor, the class with its local server, the AppID.
#include "app/registration_script_text.h"

const char* const kRegistrationScript = R"rgs(HKCR
{
	Varnok.Zelvox.1 = s 'Varnok Zelvox'
	{
		CLSID = s '{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'
	}
	Varnok.Zelvox = s 'Varnok Zelvox'
	{
		CLSID = s '{5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26}'
		OPC
		{
			val Vendor = s 'Varnok'
		}
	}
	NoRemove CLSID
	{
		ForceRemove {5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26} = s 'Varnok Zelvox'
		{
			ProgID = s 'Varnok.Zelvox.1'
			VersionIndependentProgID = s 'Varnok.Zelvox'
			LocalServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'both'
			}
		}
	}
	NoRemove AppID
	{
		ForceRemove {5B1E3A94-2C7D-4F60-9a8E-D3C41F0B7A26} = s 'Varnok Zelvox'
	}
}
)rgs";
